#include "engine/CProgramEntry.h"

// The program where no window backend is built: it installs with --silent and refuses to start without.
int main(int argc, char** argv) {
    return CProgramEntry().Run(argc, argv);
}
