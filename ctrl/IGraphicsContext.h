#pragma once

#include "ctrl/VColour.h"
#include "ctrl/VGeometry.h"

namespace VFoundation {
class VImage;
class VObject;
class VString;
} // namespace VFoundation

namespace VCtrl {

// The drawing interface that every control draws through.
//
// Coordinates are integer pixels relative to the context's origin, which the control tree moves to each
// control before drawing it; the origin is not part of the saved state. Operations that draw outlines
// take a dash style (kDashSolid, kDashDashed, kDashDotted) and a real line width. Nothing is drawn for a
// null image or text. A context is used only on the user-interface thread, inside one drawing pass;
// states saved in a pass are restored in it.
//
// The convenience forms (points and sizes in place of coordinates) forward to the primary forms, so an
// implementation overrides only the pure operations.
class IGraphicsContext {
public:
    enum DashStyle { kDashSolid = 0, kDashDashed = 1, kDashDotted = 2 };
    static constexpr int kMaxSavedStates = 32;

    virtual ~IGraphicsContext() = default;

    // Images. An image with alpha is always blended (DrawImageAlpha at opacity 1.0); one without is
    // copied, stretched when the source and destination sizes differ.
    virtual void DrawImage(const VFoundation::VImage* image, const VPoint& destPoint, const VSize& destSize,
                           const VPoint& srcPoint, const VSize& srcSize);
    virtual void DrawImage(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy,
                           int sw, int sh) = 0;
    virtual void DrawImage(const VFoundation::VImage* image, int x, int y);
    virtual void DrawImage(const VFoundation::VImage* image, const VPoint& point);
    virtual void DrawImage(const VFoundation::VImage* image);
    // Copies w x h pixels from (sx, sy), leaving out the pixels whose colour (red, green, blue) is key.
    virtual void DrawImageTransparent(const VFoundation::VImage* image, int x, int y, int w, int h, int sx,
                                      int sy, const VColour& key) = 0;
    virtual void DrawImageTransparent(const VFoundation::VImage* image, const VPoint& point,
                                      const VSize& size, const VPoint& srcPoint, const VColour& key);
    // Source-over blend of the image, with its own alpha, at a constant opacity clamped to 0..1.
    virtual void DrawImageAlpha(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy,
                                int sw, int sh, double opacity) = 0;
    virtual void DrawImageAlpha(const VFoundation::VImage* image, const VPoint& point, const VSize& size,
                                const VPoint& srcPoint, const VSize& srcSize, double opacity);

    // The pen: a solid, one pixel wide, opaque line in the line colour, drawn without smoothing.
    virtual void MoveTo(int x, int y) = 0;
    // Draws from the pen position to (x, y), the end point excluded, and moves the pen there.
    virtual void LineTo(int x, int y) = 0;

    // Smoothed figures. Outlines are centred on the pixels they name, so a one pixel line at y = 3 covers
    // exactly row 3.
    virtual void DrawLine(int x1, int y1, int x2, int y2, const VColour& colour, int dashStyle,
                          double width) = 0;
    virtual void DrawLine(const VPoint& point1, const VPoint& point2, const VColour& colour, int dashStyle,
                          double width);
    virtual void DrawLines(const VPointReal* points, int count, const VColour& colour, int dashStyle,
                           double width) = 0;
    virtual void FillPolygon(const VPoint* points, int count, const VColour& colour) = 0;
    // One pixel in the colour's red, green and blue, opaque.
    virtual void SetPixel(int x, int y, const VColour& colour) = 0;
    // The outline from (x, y) to (x + w - 1, y + h - 1); nothing when the colour's alpha is 0.
    virtual void DrawRectangle(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                               double width) = 0;
    // The w x h pixels from (x, y), blended with the colour's alpha; nothing when the alpha is 0.
    virtual void FillRectangle(int x, int y, int w, int h, const VColour& colour) = 0;
    virtual void DrawRoundedRectangle(int x, int y, int w, int h, int radius, const VColour& colour,
                                      int dashStyle, double width) = 0;
    virtual void FillRoundedRectangle(int x, int y, int w, int h, int radius, const VColour& colour) = 0;

    // Text, with a transparent background unless said otherwise.
    // One line, clipped to rect, starting at rect's left edge + x and centred vertically in rect moved
    // down by y.
    virtual void DrawTextInRect(int x, int y, const char* text, const VColour& colour, const VRect& rect) = 0;
    // The text's top left at (x, y).
    virtual void DrawText(int x, int y, const char* text, const VColour& colour) = 0;
    // The same on an opaque background in the background colour.
    virtual void DrawText(int x, int y, const char* text, const VColour& colour, bool opaqueBackground) = 0;
    // Laid out in the rectangle: broken into lines at word boundaries to its width, clipped to it.
    virtual void DrawTextInBox(int x, int y, int w, int h, const char* text, const VColour& colour) = 0;

    virtual void DrawEllipse(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                             double width) = 0;
    virtual void FillEllipse(int x, int y, int w, int h, const VColour& colour) = 0;
    // The arc of the ellipse in the rectangle; angles in degrees, clockwise from the positive x axis.
    virtual void DrawArc(int x, int y, int w, int h, double startAngle, double sweepAngle,
                         const VColour& colour, int dashStyle, double width) = 0;

    // Retains font for the text operations; none selects the default user-interface font.
    virtual void SetFont(VFoundation::VObject* font) = 0;
    virtual void SetLineColour(const VColour& colour) = 0;
    // Saves the clip and the drawing state (line colour, pen position, font, colours); a save beyond
    // kMaxSavedStates levels is ignored.
    virtual void SaveState() = 0;
    // Restores the last saved state; nothing when none is saved.
    virtual void RestoreState() = 0;
    // Intersects the clip with the rectangle.
    virtual void ClipRect(int x, int y, int w, int h) = 0;
    virtual void MeasureText(const char* text, VSize& size) = 0;
    virtual void MeasureText(const VFoundation::VString& text, VSize& size) = 0;

    virtual void DrawLines(const VPoint* points, int count, const VColour& colour, int dashStyle,
                           double width) = 0;

    // The origin and the clip, as the control tree needs them.
    virtual void SetOrigin(int x, int y) = 0;
    virtual VPoint GetOrigin() const = 0;
    void OffsetOrigin(int dx, int dy) {
        const VPoint origin = GetOrigin();
        SetOrigin(origin.x + dx, origin.y + dy);
    }
    // The clip's bounding box relative to the origin; false when nothing restricts drawing but the
    // target's own bounds.
    virtual bool GetClipBox(VRect& box) const = 0;

    virtual void SetForegroundColour(const VColour& colour) = 0;
    virtual void SetBackgroundColour(const VColour& colour) = 0;
    virtual const VColour& GetForegroundColour() const = 0;
    virtual const VColour& GetBackgroundColour() const = 0;
};

} // namespace VCtrl
