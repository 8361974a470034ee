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

bool VWindowDelegate::WindowKeyDown(int32_t, uint32_t, VWindow*) {
    return false;
}

} // namespace VCtrl
