#include "engine/CProgramEntry.h"
#include "ui/CWizardFrontEnd.h"

int main(int argc, char** argv) {
    CWizardFrontEnd wizard(argc, argv);
    return CProgramEntry(&wizard).Run(argc, argv);
}
