#pragma once

#include "ctrl/CtrlStyle.h"
#include "ctrl/VColour.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"

#include <cstdint>

namespace VCtrl {

// The look and behaviour shared by buttons: the pictures for the off, on and mouse-over states, the fill,
// border and text colours, the text offset and the option flags below.
//
// Options (CtrlStyle option keys): "imUp", "imDown", "imMouseOver" (images: a file name or an image
// object), "colBorder" (default black), "colFillOn" (black), "colFillOff" (white), "colTextOn" (white),
// "colTextOff" (black), "textOffset" (integer, 0).
//
// Flags: the base flags and
// - optMomentary: on only while pressed; the press is reported (event 9) on a release inside.
// - optSendOnMouseDown: the press is reported on the press itself, never on the release.
// - optTransparent: neither fill nor border is drawn, only pictures and text.
// - optNoGraphics: no pictures, fill or border; only the text.
// - optNoDrawDisabled: a disabled button is not drawn at all (else it is drawn faded).
// - optDrawText: the text is drawn over the picture (a button without pictures always draws it).
// - optTextLeftJustify: the text starts at the left edge plus the text offset (else it is centred and
//   moved right by the text offset).
// - optSmartTile: a picture narrower or wider than the button keeps its left and right thirds and
//   repeats its middle third (so rounded ends do not stretch); else it is scaled to the frame.
class CtrlButtonStyle : public CtrlStyle {
    V_DECLARE_CLASS(CtrlButtonStyle)
public:
    enum : uint32_t {
        kOptMomentary = 8,
        kOptSendOnMouseDown = 16,
        kOptTransparent = 32,
        kOptNoGraphics = 64,
        kOptNoDrawDisabled = 128,
        kOptDrawText = 256,
        kOptTextLeftJustify = 512,
        kOptSmartTile = 1024,
    };

    // Image arguments name picture files (resolved as CtrlStyle::GetImageOption does); null leaves the
    // option out.
    explicit CtrlButtonStyle(uint32_t flags = 0, const char* upImage = nullptr,
                             const char* downImage = nullptr, const char* mouseOverImage = nullptr,
                             VFoundation::VClass* record = nullptr);
    ~CtrlButtonStyle() override;

    const char* GetFlagName(uint32_t bit) const override;

    // Image objects as the three pictures (retained by the options); none removes a picture.
    void SetImages(VFoundation::VImage* up, VFoundation::VImage* down, VFoundation::VImage* mouseOver);

    VFoundation::VRef<VFoundation::VImage> GetUpImage() const { return GetImageOption("imUp"); }
    VFoundation::VRef<VFoundation::VImage> GetDownImage() const { return GetImageOption("imDown"); }
    VFoundation::VRef<VFoundation::VImage> GetMouseOverImage() const { return GetImageOption("imMouseOver"); }
    VColour GetBorderColour() const;
    VColour GetFillColour(bool on) const;
    VColour GetTextColour(bool on) const;
    int GetTextOffset() const { return GetIntOption("textOffset", 0); }
};

} // namespace VCtrl
