#pragma once

#include "application/IApplicationBackend.h"

#include <memory>

namespace VApplication {

// The desktop platform's backend when this program can show windows: on POSIX the GTK backend, once GTK has
// connected to a display. GTK takes the options it knows (--display and the like) out of argc and argv.
// nullptr when no display can be opened or the program was built without a desktop toolkit: the caller then
// selects the headless backend.
//
// Call on the thread that is to be the user-interface thread, before any window exists. The program's C
// locale is left as it is: the toolkit does not switch it to the user's, so numbers are read and written
// the same with and without a display.
std::shared_ptr<IApplicationBackend> MakeDesktopBackend(int& argc, char**& argv);
// As above, for a program that keeps its command line to itself.
std::shared_ptr<IApplicationBackend> MakeDesktopBackend();

} // namespace VApplication
