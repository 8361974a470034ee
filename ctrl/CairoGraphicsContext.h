#pragma once

#include "ctrl/OffscreenGraphicsContext.h"
#include "ctrl/VColour.h"
#include "foundation/VRef.h"

#include <cairo.h>

#include <memory>
#include <vector>

namespace VCtrl {

// The graphics context on every backend: draws with cairo on a cairo surface (the root's off-screen
// bitmap during a paint, or a surface of its own) and lays text out with PangoCairo.
//
// Pixel rules: fills cover the pixels of their area exactly (FillRectangle(0, 0, 10, 10) is pixels 0 to
// 9); outlines and lines are centred on the pixels they name. Images are converted once into cairo
// surfaces that the image keeps (VImage::RenderCache) until its bitmap changes.
//
// Text is 8-bit: valid UTF-8 is drawn as such, anything else is read as Windows-1252. The font is the
// default user-interface font unless SetFont gives a VString holding a Pango font description
// ("Sans Bold 12px").
//
// Without a target every operation does nothing (MeasureText still measures).
class CairoGraphicsContext : public OffscreenGraphicsContext {
    V_DECLARE_CLASS(CairoGraphicsContext)
public:
    // The default user-interface font, as a Pango font description.
    static constexpr const char* kDefaultFont = "Sans 11px";

    explicit CairoGraphicsContext(VFoundation::VClass* record = nullptr);
    ~CairoGraphicsContext() override;
    CairoGraphicsContext(const CairoGraphicsContext&) = delete;
    CairoGraphicsContext& operator=(const CairoGraphicsContext&) = delete;

    // Draws on surface from now on (the context keeps a reference to it). Saved states are dropped,
    // the origin goes back to (0, 0). Null detaches the context.
    void SetTarget(cairo_surface_t* surface);
    // Makes an off-screen image surface of width x height (32-bit, premultiplied ARGB, all pixels 0) and
    // draws on it. False when the size is not positive or cairo cannot make it.
    bool CreateTarget(int width, int height) override;
    cairo_surface_t* GetTarget() const { return m_target; }
    void ReleaseTarget() override { SetTarget(nullptr); }
    void ResetState() override { SetTarget(m_target); }
    // Without an image target (a surface of another kind) the size is 0 and every pixel 0.
    int GetTargetWidth() const override;
    int GetTargetHeight() const override;
    uint32_t GetTargetPixel(int x, int y) const override;
    bool SaveTargetAsPNG(const char* path) const override;
    void Flush() override;
    void CopyFrom(OffscreenGraphicsContext& source, const VRect& rect) override;
    // The number of states saved now (ignored saves not counted).
    int GetSavedStateCount() const { return int(m_states.size()); }

    using IGraphicsContext::DrawImage;
    using IGraphicsContext::DrawImageAlpha;
    using IGraphicsContext::DrawImageTransparent;
    using IGraphicsContext::DrawLine;
    using IGraphicsContext::DrawLines;
    using IGraphicsContext::DrawText;

    void DrawImage(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy, int sw,
                   int sh) override;
    void DrawImageTransparent(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy,
                              const VColour& key) override;
    void DrawImageAlpha(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy, int sw,
                        int sh, double opacity) override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void DrawLine(int x1, int y1, int x2, int y2, const VColour& colour, int dashStyle,
                  double width) override;
    void DrawLines(const VPointReal* points, int count, const VColour& colour, int dashStyle,
                   double width) override;
    void FillPolygon(const VPoint* points, int count, const VColour& colour) override;
    void SetPixel(int x, int y, const VColour& colour) override;
    void DrawRectangle(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                       double width) override;
    void FillRectangle(int x, int y, int w, int h, const VColour& colour) override;
    void DrawRoundedRectangle(int x, int y, int w, int h, int radius, const VColour& colour, int dashStyle,
                              double width) override;
    void FillRoundedRectangle(int x, int y, int w, int h, int radius, const VColour& colour) override;

    void DrawTextInRect(int x, int y, const char* text, const VColour& colour, const VRect& rect) override;
    void DrawText(int x, int y, const char* text, const VColour& colour) override;
    void DrawText(int x, int y, const char* text, const VColour& colour, bool opaqueBackground) override;
    void DrawTextInBox(int x, int y, int w, int h, const char* text, const VColour& colour) override;

    void DrawEllipse(int x, int y, int w, int h, const VColour& colour, int dashStyle, double width) override;
    void FillEllipse(int x, int y, int w, int h, const VColour& colour) override;
    void DrawArc(int x, int y, int w, int h, double startAngle, double sweepAngle, const VColour& colour,
                 int dashStyle, double width) override;

    void SetFont(VFoundation::VObject* font) override;
    void SetLineColour(const VColour& colour) override;
    void SaveState() override;
    void RestoreState() override;
    void ClipRect(int x, int y, int w, int h) override;
    void MeasureText(const char* text, VSize& size) override;
    void MeasureText(const VFoundation::VString& text, VSize& size) override;

    void DrawLines(const VPoint* points, int count, const VColour& colour, int dashStyle,
                   double width) override;

    void SetOrigin(int x, int y) override;
    VPoint GetOrigin() const override { return VPoint{m_originX, m_originY}; }
    bool GetClipBox(VRect& box) const override;

    void SetForegroundColour(const VColour& colour) override { m_foreground = colour; }
    void SetBackgroundColour(const VColour& colour) override { m_background = colour; }
    const VColour& GetForegroundColour() const override { return m_foreground; }
    const VColour& GetBackgroundColour() const override { return m_background; }

private:
    struct SavedState {
        VColour lineColour;
        VPoint penPosition;
        VFoundation::VRef<VFoundation::VObject> font;
        VColour foreground;
        VColour background;
        bool clipped;
    };
    struct TextEngine;

    void DrawImageCore(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy, int sw,
                       int sh, double alpha);
    void SetStroke(const VColour& colour, int dashStyle, double width);
    void SetSource(const VColour& colour, bool opaque = false);
    void DrawTextCore(int x, int y, const char* text, const VColour& colour, const VColour* background);

    cairo_t* m_cr = nullptr;
    cairo_surface_t* m_target = nullptr;
    int m_originX = 0;
    int m_originY = 0;
    VColour m_lineColour;
    VPoint m_penPosition;
    VFoundation::VRef<VFoundation::VObject> m_font;
    VColour m_foreground;
    VColour m_background;
    bool m_clipped = false;
    std::vector<SavedState> m_states;
    // Saves beyond the limit that were ignored; the restores matching them keep the deepest saved state.
    int m_ignoredSaves = 0;
    std::unique_ptr<TextEngine> m_text;
};

// The name the control tree knows the context by.
using GraphicsContext = CairoGraphicsContext;

} // namespace VCtrl
