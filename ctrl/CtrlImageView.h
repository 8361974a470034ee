#pragma once

#include "ctrl/Ctrl.h"
#include "foundation/VRef.h"

#include <cstdint>

namespace VFoundation {
class VImage;
} // namespace VFoundation

namespace VCtrl {

// Shows one picture (a page picture, a slide, a kit piece photo) at its own size with its top left at an
// origin point, clipped to the frame, over what the CtrlImageViewStyle draws (background, border).
// The view retains its image.
class CtrlImageView : public Ctrl {
    V_DECLARE_CLASS(CtrlImageView)
public:
    explicit CtrlImageView(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlImageView() override;

    // With the style's optMouseHandle: sends event 1 (CtrlEvent::kMouseDown) with the point; true.
    // Otherwise not handled.
    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    // Reported (event 16) only with the style's optDragNDrop.
    bool FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names) override;
    void Draw(IGraphicsContext& context) override;

    // Shows image with its top left at origin (in the view's coordinates); none clears the view. Redraws.
    void SetImage(VFoundation::VImage* image, const VPoint& origin = VPoint{});
    VFoundation::VImage* GetImage() const { return m_image.Get(); }
    const VPoint& GetImageOrigin() const { return m_origin; }

private:
    VFoundation::VRef<VFoundation::VImage> m_image;
    VPoint m_origin;
};

} // namespace VCtrl
