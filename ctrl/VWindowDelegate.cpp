#include "ctrl/VWindowDelegate.h"

namespace VCtrl {

void VWindowDelegate::WindowGotFocus(VWindow*) {}

void VWindowDelegate::WindowLostFocus(VWindow*) {}

void VWindowDelegate::WindowResized(const VSize&, VWindow*) {}

void VWindowDelegate::WindowMoved(const VPoint&, VWindow*) {}

bool VWindowDelegate::WindowShouldClose(VWindow*) {
    return true;
}

void VWindowDelegate::WindowDestroyed(VWindow*) {}

} // namespace VCtrl
