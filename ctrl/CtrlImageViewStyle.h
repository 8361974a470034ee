#pragma once

#include "ctrl/CtrlStyle.h"
#include "ctrl/VColour.h"

#include <cstdint>

namespace VCtrl {

// The look of image views: "colBorder" (default black), "colBackground" (default white), "imBackground"
// (a picture behind the view's image), and the flags:
// - optBorder: a one pixel border in colBorder;
// - optBackground: the frame is filled with colBackground first;
// - optNoStretch: the background picture is drawn at its own size (else scaled to the frame);
// - optMouseHandle: left presses on the view send event 1 to its listener;
// - optSmartTile: the background picture is repeated to fill the frame;
// - optDragNDrop: files dropped on the view are reported (event 16).
class CtrlImageViewStyle : public CtrlStyle {
    V_DECLARE_CLASS(CtrlImageViewStyle)
public:
    enum : uint32_t {
        kOptBorder = 8,
        kOptBackground = 16,
        kOptNoStretch = 32,
        kOptMouseHandle = 64,
        kOptSmartTile = 128,
        kOptDragNDrop = 256,
    };

    explicit CtrlImageViewStyle(uint32_t flags = 0, VFoundation::VClass* record = nullptr);
    ~CtrlImageViewStyle() override;

    const char* GetFlagName(uint32_t bit) const override;

    VColour GetBorderColour() const { return GetColourOption("colBorder", VColour(0, 0, 0)); }
    VColour GetBackgroundColour() const { return GetColourOption("colBackground", VColour(255, 255, 255)); }
};

} // namespace VCtrl
