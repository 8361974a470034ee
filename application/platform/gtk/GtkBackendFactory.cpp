#include "application/BackendFactory.h"
#include "application/platform/gtk/GtkBackend.h"
#include "application/platform/gtk/GtkX11Errors.h"

#include <gtk/gtk.h>

namespace VApplication {

namespace {

std::shared_ptr<IApplicationBackend> MakeBackend(int* argc, char*** argv) {
    // GTK would otherwise switch the whole program to the user's locale, and a decimal comma would then
    // change how scripts' numbers are read and how logs write them.
    gtk_disable_setlocale();
    if (!gtk_init_check(argc, argv)) return nullptr;
    IgnoreErrorsAboutVanishedWindows();
    return std::make_shared<GtkBackend>();
}

} // namespace

std::shared_ptr<IApplicationBackend> MakeDesktopBackend(int& argc, char**& argv) {
    return MakeBackend(&argc, &argv);
}

std::shared_ptr<IApplicationBackend> MakeDesktopBackend() {
    return MakeBackend(nullptr, nullptr);
}

} // namespace VApplication
