#pragma once

#include "ctrl/VGeometry.h"

#include <cstdint>

namespace VCtrl {

class VWindow;

// What a window tells its owner. Called on the user-interface thread from the window's message handling.
// The window does not own its delegate: the delegate outlives the window or clears itself from it
// (VWindow::SetDelegate(nullptr)) before it goes.
class VWindowDelegate {
public:
    virtual ~VWindowDelegate() = default;

    virtual void WindowGotFocus(VWindow* window);
    virtual void WindowLostFocus(VWindow* window);
    // The new client size.
    virtual void WindowResized(const VSize& size, VWindow* window);
    // The client area's new position on the screen.
    virtual void WindowMoved(const VPoint& point, VWindow* window);
    // The user asks to close the window: false refuses and keeps it open. The default allows it. The
    // delegate may hide the window or quit the loop from here; it must not destroy the window itself.
    virtual bool WindowShouldClose(VWindow* window);
    // The platform window and the root are gone (DestroyWindow, or an allowed close).
    virtual void WindowDestroyed(VWindow* window);
    // A key press that no control of the window handled (modifiers as Modifier in WindowMessages.h): the
    // place for default buttons, Escape and mnemonics. True when it was used; the default uses none.
    virtual bool WindowKeyDown(int32_t key, uint32_t modifiers, VWindow* window);
};

} // namespace VCtrl
