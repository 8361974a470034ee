#include "engine/CProgramEntry.h"

int main(int argc, char** argv) {
    return CProgramEntry().Run(argc, argv);
}
