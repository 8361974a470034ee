#pragma once

namespace VApplication {

// On an X display, X errors (requests for a window that another client destroyed) no longer end the
// program; nothing on other displays. Called once, after GTK has opened the display.
void IgnoreErrorsAboutVanishedWindows();

} // namespace VApplication
