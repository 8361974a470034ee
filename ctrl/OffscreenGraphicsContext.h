#pragma once

#include "ctrl/IGraphicsContext.h"
#include "foundation/VObject.h"
#include "foundation/VRef.h"

#include <cstdint>

namespace VFoundation {
class VClass;
}

namespace VCtrl {

// A graphics context with an off-screen bitmap of its own: the double buffer a root paints into, what a
// headless window shows, the picture a screenshot saves. The drawing library behind it is chosen when the
// program is built (cairo with Pango on POSIX, GDI and GDI+ on Windows); MakeOffscreenGraphicsContext makes
// that one, and every context the program makes comes from the same library, so CopyFrom and the window
// backends may rely on the concrete kind.
class OffscreenGraphicsContext : public VFoundation::VObject, public IGraphicsContext {
public:
    using VFoundation::VObject::VObject;

    // Makes a width x height bitmap (32-bit, premultiplied alpha, every pixel 0) and draws on it from now on,
    // as after ResetState. False (and no bitmap) when the size is not positive or the bitmap cannot be made.
    virtual bool CreateTarget(int width, int height) = 0;
    // Drops the bitmap; drawing then does nothing (MeasureText still measures).
    virtual void ReleaseTarget() = 0;
    // Begins a drawing pass on the same bitmap: saved states dropped, origin (0, 0), no clip.
    virtual void ResetState() = 0;
    // The bitmap's size; 0 without one.
    virtual int GetTargetWidth() const = 0;
    virtual int GetTargetHeight() const = 0;
    // The pixel at (x, y) in bitmap coordinates (no origin): premultiplied alpha << 24 | red << 16 |
    // green << 8 | blue; 0 outside or without a bitmap.
    virtual uint32_t GetTargetPixel(int x, int y) const = 0;
    virtual bool SaveTargetAsPNG(const char* path) const = 0;
    // Hands finished drawing to the bitmap, before its pixels are read or copied elsewhere.
    virtual void Flush() = 0;
    // Copies rect (bitmap coordinates) of source's bitmap to the same place of this one, pixels unchanged,
    // whatever the origin, clip and state of either.
    virtual void CopyFrom(OffscreenGraphicsContext& source, const VRect& rect) = 0;
};

// A new context of the build's drawing library, without a bitmap.
VFoundation::VRef<OffscreenGraphicsContext> MakeOffscreenGraphicsContext();
// The class record of that context, for the toolkit's class registration.
VFoundation::VClass* GetOffscreenGraphicsContextClassRecord();

} // namespace VCtrl
