#include "application/platform/gtk/GtkX11Errors.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>

namespace VApplication {

// GDK reports an X error that no trap covers as fatal and ends the program. Requests still on their way
// for a window that another client destroyed (xdotool windowclose, a crashed window manager) fail that
// way, at a moment nobody can predict, so a trap that is never popped covers the whole run: such errors
// are dropped, as GTK's own code drops them around every request on foreign windows.
void IgnoreErrorsAboutVanishedWindows() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return;
    gdk_x11_display_error_trap_push(display);
}

} // namespace VApplication
