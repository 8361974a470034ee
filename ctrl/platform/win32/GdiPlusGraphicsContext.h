#pragma once

#include "ctrl/OffscreenGraphicsContext.h"
#include "ctrl/VColour.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <memory>
#include <vector>

// The system's handle types, declared as <windows.h> does, so that this header leaves the system's macros
// (DrawText among them) out of every file that includes it.
struct HDC__;
struct HBITMAP__;

namespace Gdiplus {
class Bitmap;
class Graphics;
class Font;
class Pen;
} // namespace Gdiplus

namespace VCtrl {

// The graphics context on Windows: draws with GDI+ into a 32-bit top-down device-independent bitmap
// (premultiplied alpha) that is selected into a memory device, so that a window's paint copies it with a
// plain bit copy (GetTargetDC).
//
// It follows the pixel rules of the cairo context, so that controls look the same on every platform: fills
// cover the pixels of their area exactly (GDI+ with half-pixel offsets), outlines are centred on the pixels
// they name. Images are converted once into GDI+ bitmaps that the image keeps (VImage::RenderCache).
//
// Text is 8-bit: valid UTF-8 is drawn as such, anything else is read as Windows-1252. The default font is
// 11 pixels of DejaVu Sans where the system has it (the face the POSIX build lays its pages out with), else
// Tahoma; SetFont takes a VString with a font description in the cairo context's form ("Sans Bold 12px":
// family words, then Bold and Italic, then the size in px or pt). Without any of the faces no text is drawn.
class GdiPlusGraphicsContext : public OffscreenGraphicsContext {
    V_DECLARE_CLASS(GdiPlusGraphicsContext)
public:
    static constexpr double kDefaultFontPixels = 11.0;

    explicit GdiPlusGraphicsContext(VFoundation::VClass* record = nullptr);
    ~GdiPlusGraphicsContext() override;
    GdiPlusGraphicsContext(const GdiPlusGraphicsContext&) = delete;
    GdiPlusGraphicsContext& operator=(const GdiPlusGraphicsContext&) = delete;

    // False when GDI+ could not be started: then nothing is drawn or measured.
    static bool IsGdiPlusStarted();

    bool CreateTarget(int width, int height) override;
    void ReleaseTarget() override;
    void ResetState() override;
    int GetTargetWidth() const override { return m_width; }
    int GetTargetHeight() const override { return m_height; }
    uint32_t GetTargetPixel(int x, int y) const override;
    bool SaveTargetAsPNG(const char* path) const override;
    void Flush() override;
    void CopyFrom(OffscreenGraphicsContext& source, const VRect& rect) override;
    // The memory device holding the bitmap (after Flush); none without a bitmap.
    HDC__* GetTargetDC() const { return m_dc; }
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
    void SetLineColour(const VColour& colour) override { m_lineColour = colour; }
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
        unsigned int graphicsState;
        VColour lineColour;
        VPoint penPosition;
        VFoundation::VRef<VFoundation::VObject> font;
        VColour foreground;
        VColour background;
        bool clipped;
    };

    void DrawImageCore(const VFoundation::VImage* image, int x, int y, int w, int h, int sx, int sy, int sw,
                       int sh, double alpha);
    std::unique_ptr<Gdiplus::Pen> MakePen(const VColour& colour, int dashStyle, double width) const;
    void DrawTextCore(int x, int y, const char* text, const VColour& colour, const VColour* background);
    void UpdateFont();

    HDC__* m_dc = nullptr;
    HBITMAP__* m_dib = nullptr;
    void* m_previousBitmap = nullptr;
    uint8_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
    std::unique_ptr<Gdiplus::Graphics> m_graphics;
    // For measuring without a bitmap.
    std::unique_ptr<Gdiplus::Bitmap> m_measureBitmap;
    std::unique_ptr<Gdiplus::Graphics> m_measureGraphics;
    std::unique_ptr<Gdiplus::Font> m_gdiFont;

    int m_originX = 0;
    int m_originY = 0;
    VColour m_lineColour;
    VPoint m_penPosition;
    VFoundation::VRef<VFoundation::VObject> m_font;
    VColour m_foreground;
    VColour m_background;
    bool m_clipped = false;
    std::vector<SavedState> m_states;
    int m_ignoredSaves = 0;
};

} // namespace VCtrl
