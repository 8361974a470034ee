#pragma once

#include "ctrl/VGeometry.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VCtrl {

// What a window is made from: title, scale, the requested client frame, the platform window style bits and
// the icon. The style words keep the desktop platform's bit values; every backend reads them (caption,
// sizing frame, minimise and maximise boxes, pop-up, always on top).
//
// The window is centred on the screen whatever x and y say.
class CWindowAttributes {
public:
    enum Kind {
        // Caption, system menu, sizing border, minimise and maximise boxes.
        kKindOverlapped = 0,
        // Caption and system menu; fixed size.
        kKindFixed = 1,
        // Caption, system menu and minimise box; fixed size (the installer's main window).
        kKindFixedMinimisable = 2,
        // Visible pop-up without caption or border, always on top (the splash screen).
        kKindPopup = 3,
    };

    enum : uint32_t {
        kStyleMaximizeBox = 0x00010000,
        kStyleMinimizeBox = 0x00020000,
        kStyleSizingFrame = 0x00040000,
        kStyleSystemMenu = 0x00080000,
        kStyleCaption = 0x00C00000,
        kStyleVisible = 0x10000000,
        kStylePopup = 0x80000000,
        kExtendedTopmost = 0x00000008,
        kExtendedAcceptFiles = 0x00000010,

        kDefaultStyle = 0x00CF0008,
        kDefaultExtendedStyle = 0x10,
    };

    CWindowAttributes() = default;
    // The kind sets the two style fields; an unknown kind leaves the defaults.
    CWindowAttributes(const char* title, int kind, const VRect& frame);

    // Sets the style fields for kind; any other kind leaves them unchanged.
    void SetKind(int kind);

    VFoundation::VString title;
    double scale = 1.0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t style = kDefaultStyle;
    uint32_t extendedStyle = kDefaultExtendedStyle;
    // The icon: on POSIX a picture file's path (VApplication::GetIcon gives one); empty for none.
    VFoundation::VString icon;

    bool HasStyle(uint32_t bits) const { return (style & bits) == bits; }
    bool HasExtendedStyle(uint32_t bits) const { return (extendedStyle & bits) == bits; }
    // Sizing frame: the user may resize the window.
    bool IsResizable() const { return HasStyle(kStyleSizingFrame); }
    bool HasCaption() const { return HasStyle(kStyleCaption); }
    bool IsPopup() const { return HasStyle(kStylePopup); }
    bool IsTopmost() const { return HasExtendedStyle(kExtendedTopmost); }
    bool AcceptsFiles() const { return HasExtendedStyle(kExtendedAcceptFiles); }
};

} // namespace VCtrl
