#pragma once

#include "foundation/VRef.h"

#include <string>

class CUninstallScript;
class IInstallerFrontEnd;
struct CProgramOptions;

// What --list and --uninstall do once the libraries run and the settings store is chosen.
class CUninstallCommand {
public:
    static constexpr int kRemoved = 0;
    static constexpr int kNotRemoved = 1;

    // Prints the installed products on standard output; 0.
    static int List();
    // The uninstall script that target names: a script file, or the product recorded under that name
    // (without regard to case). None, with the reason on standard error, when there is no such script or
    // product or the file is not an uninstall script.
    static VFoundation::VRef<CUninstallScript> Resolve(const std::string& target);
    // Removes the product: through the front end's wizard when there is one, else unattended. 0 when
    // everything was removed, 1 when something failed or the user aborted, 255 when target names nothing
    // to uninstall.
    static int Run(const CProgramOptions& options, IInstallerFrontEnd* frontEnd);
};
