#include "ctrl/platform/win32/GdiPlusGraphicsContext.h"

#include "ctrl/GraphicsContextRules.h"
#include "ctrl/IWindowBackend.h"
#include "foundation/VClass.h"
#include "foundation/VImage.h"
#include "foundation/VString.h"

#include <windows.h>
// After <windows.h>: GDI+ needs its types.
#include <gdiplus.h>
#include <objidl.h>

// <windows.h> makes DrawText a macro, which would rename this context's own operation.
#undef DrawText

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace VCtrl {

using VFoundation::VImage;
using VFoundation::VObject;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(GdiPlusGraphicsContext, VFoundation::VObject)

namespace {

// GDI+ is started once for the process and left running: images keep GDI+ bitmaps in their render caches
// beyond the life of any context, and those may not outlive a shutdown.
bool StartGdiPlus() {
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

Gdiplus::Color ToColor(const VColour& colour, bool opaque = false) {
    return Gdiplus::Color(BYTE(opaque ? 255 : colour.GetAlpha()), BYTE(colour.GetRed()),
                          BYTE(colour.GetGreen()), BYTE(colour.GetBlue()));
}

// An image converted for GDI+ (top-down, premultiplied ARGB), kept with the image until its pixels change.
class GdiPlusImageCache : public VImage::RenderCache {
public:
    GdiPlusImageCache(int width, int height) : m_pixels(size_t(width) * size_t(height)) {
        m_bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                                     reinterpret_cast<BYTE*>(m_pixels.data()));
    }
    uint32_t* Pixels() { return m_pixels.data(); }
    Gdiplus::Bitmap* Bitmap() const { return m_bitmap.get(); }

private:
    std::vector<uint32_t> m_pixels;
    std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
};

// The image's pixel at picture column x and picture row y (top-down), premultiplied ARGB.
uint32_t PixelWord(const VImage& image, int x, int y) {
    const uint8_t* row = image.GetRow(image.GetHeight() - 1 - y);
    if (image.GetBitsPerPixel() == 32) {
        const uint8_t* p = row + size_t(x) * 4;
        if (!image.HasAlpha()) return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        // Premultiplied colours above the alpha are out of range for the blending.
        const uint8_t a = p[3];
        const uint8_t r = std::min(p[2], a), g = std::min(p[1], a), b = std::min(p[0], a);
        return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    }
    const uint8_t* p = row + size_t(x) * 3;
    return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

Gdiplus::Bitmap* BitmapForImage(const VImage& image) {
    if (auto* cache = dynamic_cast<GdiPlusImageCache*>(image.GetRenderCache())) return cache->Bitmap();
    const int width = image.GetWidth(), height = image.GetHeight();
    auto cache = std::make_unique<GdiPlusImageCache>(width, height);
    if (cache->Bitmap()->GetLastStatus() != Gdiplus::Ok) return nullptr;
    uint32_t* out = cache->Pixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(y) * size_t(width) + size_t(x)] = PixelWord(image, x, y);
    Gdiplus::Bitmap* bitmap = cache->Bitmap();
    image.SetRenderCache(std::move(cache));
    return bitmap;
}

const uint16_t kWindows1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The system's 8-bit texts: UTF-8 when valid, else Windows-1252 (decoded here, whatever the code page of
// the machine, so that a text looks the same everywhere).
std::wstring ToWide(const char* text) {
    const int length = int(std::strlen(text));
    if (length == 0) return std::wstring();
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (needed > 0) {
        std::wstring out(size_t(needed), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, out.data(), needed);
        return out;
    }
    std::wstring out;
    out.reserve(size_t(length));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned code = *p;
        if (code >= 0x80 && code < 0xA0) code = kWindows1252High[code - 0x80];
        out.push_back(wchar_t(code));
    }
    return out;
}

// The layout every text operation shares, so that measured and drawn text agree: no padding around the
// line, trailing spaces counted.
const Gdiplus::StringFormat* TextFormat(bool wrap) {
    static Gdiplus::StringFormat* single = [] {
        auto* format = Gdiplus::StringFormat::GenericTypographic()->Clone();
        format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                               Gdiplus::StringFormatFlagsNoWrap);
        return format;
    }();
    static Gdiplus::StringFormat* wrapped = [] {
        auto* format = Gdiplus::StringFormat::GenericTypographic()->Clone();
        format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
        format->SetTrimming(Gdiplus::StringTrimmingWord);
        return format;
    }();
    return wrap ? wrapped : single;
}

// Pixel centres lie on integer device coordinates in GDI+'s plain mode; moving the world by half a pixel puts
// them where cairo has them (pixel x covers x to x + 1), so the same coordinates cover the same pixels. (The
// half-pixel offset mode would say the same, but Wine's pens do not honour it.)
void PrepareGraphics(Gdiplus::Graphics& graphics) {
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    graphics.TranslateTransform(-0.5f, -0.5f);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
}

// Four straight edges and four quarter arcs; the corner arcs start at 270, 0, 90 and 180 degrees.
void AddRoundedRectangle(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float radius) {
    radius = std::clamp(radius, 0.0f, std::min(w, h) / 2.0f);
    if (radius <= 0.0f) {
        path.AddRectangle(Gdiplus::RectF(x, y, w, h));
        return;
    }
    const float d = radius * 2.0f;
    path.AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    path.AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
    path.AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.CloseFigure();
}

} // namespace

bool GdiPlusGraphicsContext::IsGdiPlusStarted() {
    return StartGdiPlus();
}

GdiPlusGraphicsContext::GdiPlusGraphicsContext(VFoundation::VClass* record)
    : OffscreenGraphicsContext(record ? record : GetClassRecord()) {
    if (!StartGdiPlus()) return;
    m_measureBitmap = std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppPARGB);
    m_measureGraphics = std::make_unique<Gdiplus::Graphics>(m_measureBitmap.get());
    PrepareGraphics(*m_measureGraphics);
    UpdateFont();
}

GdiPlusGraphicsContext::~GdiPlusGraphicsContext() {
    ReleaseTarget();
}

void GdiPlusGraphicsContext::ReleaseTarget() {
    m_graphics.reset();
    m_bitmap.reset();
    if (m_dc) {
        SelectObject(m_dc, static_cast<HGDIOBJ>(m_previousBitmap));
        DeleteDC(m_dc);
    }
    if (m_dib) DeleteObject(m_dib);
    m_dc = nullptr;
    m_dib = nullptr;
    m_previousBitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
    m_states.clear();
    m_ignoredSaves = 0;
    m_clipped = false;
    m_originX = m_originY = 0;
}

bool GdiPlusGraphicsContext::CreateTarget(int width, int height) {
    ReleaseTarget();
    if (width <= 0 || height <= 0 || !StartGdiPlus()) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    // Negative: rows top-down, as GDI+ and the window expect them.
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_dc = m_dib ? CreateCompatibleDC(nullptr) : nullptr;
    if (!m_dib || !m_dc || !bits) {
        ReleaseTarget();
        return false;
    }
    m_previousBitmap = SelectObject(m_dc, m_dib);
    m_bits = static_cast<uint8_t*>(bits);
    m_width = width;
    m_height = height;
    std::memset(m_bits, 0, size_t(width) * size_t(height) * 4);
    m_bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB, m_bits);
    if (m_bitmap->GetLastStatus() != Gdiplus::Ok) {
        ReleaseTarget();
        return false;
    }
    m_graphics = std::make_unique<Gdiplus::Graphics>(m_bitmap.get());
    if (m_graphics->GetLastStatus() != Gdiplus::Ok) {
        ReleaseTarget();
        return false;
    }
    PrepareGraphics(*m_graphics);
    return true;
}

void GdiPlusGraphicsContext::ResetState() {
    if (!m_graphics) return;
    m_states.clear();
    m_ignoredSaves = 0;
    m_clipped = false;
    m_originX = m_originY = 0;
    m_graphics->ResetClip();
}

uint32_t GdiPlusGraphicsContext::GetTargetPixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    if (m_graphics) m_graphics->Flush(Gdiplus::FlushIntentionSync);
    GdiFlush();
    uint32_t word = 0;
    std::memcpy(&word, m_bits + (size_t(y) * size_t(m_width) + size_t(x)) * 4, 4);
    return word;
}

bool GdiPlusGraphicsContext::SaveTargetAsPNG(const char* path) const {
    if (!m_bitmap || !path) return false;
    m_graphics->Flush(Gdiplus::FlushIntentionSync);
    GdiFlush();
    // The PNG encoder's class id, fixed by the system.
    static const CLSID kPngEncoder = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    const std::wstring widePath = ToWide(path);
    return m_bitmap->Save(widePath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

void GdiPlusGraphicsContext::Flush() {
    if (m_graphics) m_graphics->Flush(Gdiplus::FlushIntentionSync);
    GdiFlush();
}

void GdiPlusGraphicsContext::CopyFrom(OffscreenGraphicsContext& source, const VRect& rect) {
    auto& from = static_cast<GdiPlusGraphicsContext&>(source);
    if (!m_bits || !from.m_bits) return;
    from.Flush();
    Flush();
    const VRect area = IntersectRects(IntersectRects(rect, VRect{0, 0, m_width, m_height}),
                                      VRect{0, 0, from.m_width, from.m_height});
    for (int row = area.y; row < area.y + area.height; ++row)
        std::memcpy(m_bits + (size_t(row) * size_t(m_width) + size_t(area.x)) * 4,
                    from.m_bits + (size_t(row) * size_t(from.m_width) + size_t(area.x)) * 4,
                    size_t(area.width) * 4);
}

// ---- images

void GdiPlusGraphicsContext::DrawImage(const VImage* image, int x, int y, int w, int h, int sx, int sy,
                                       int sw, int sh) {
    if (!image) return;
    if (image->HasAlpha())
        DrawImageAlpha(image, x, y, w, h, sx, sy, sw, sh, 1.0);
    else
        DrawImageCore(image, x, y, w, h, sx, sy, sw, sh, 1.0);
}

void GdiPlusGraphicsContext::DrawImageAlpha(const VImage* image, int x, int y, int w, int h, int sx, int sy,
                                            int sw, int sh, double opacity) {
    const int constantAlpha = GraphicsContextRules::ConstantAlpha(opacity);
    if (constantAlpha == 0) return;
    DrawImageCore(image, x, y, w, h, sx, sy, sw, sh, constantAlpha / 255.0);
}

void GdiPlusGraphicsContext::DrawImageCore(const VImage* image, int x, int y, int w, int h, int sx, int sy,
                                           int sw, int sh, double alpha) {
    if (!m_graphics || !image || !image->HasBitmap()) return;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    // Only the part of the source rectangle that lies on the image is drawn, at the place it would have had
    // in the whole stretched rectangle.
    const int64_t left = std::max<int64_t>(sx, 0), top = std::max<int64_t>(sy, 0);
    const int64_t right = std::min<int64_t>(int64_t(sx) + sw, image->GetWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(sy) + sh, image->GetHeight());
    if (left >= right || top >= bottom) return;
    Gdiplus::Bitmap* bitmap = BitmapForImage(*image);
    if (!bitmap) return;

    const double scaleX = double(w) / sw, scaleY = double(h) / sh;
    const Gdiplus::RectF dest(float(m_originX + x + double(left - sx) * scaleX),
                              float(m_originY + y + double(top - sy) * scaleY),
                              float(double(right - left) * scaleX), float(double(bottom - top) * scaleY));
    const bool stretched = w != sw || h != sh;
    Gdiplus::ImageAttributes attributes;
    // Edges are padded from the part itself, so no pixel outside the source rectangle bleeds in.
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (alpha < 1.0) {
        Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                        {0, 1, 0, 0, 0},
                                        {0, 0, 1, 0, 0},
                                        {0, 0, 0, Gdiplus::REAL(alpha), 0},
                                        {0, 0, 0, 0, 1}}};
        attributes.SetColorMatrix(&matrix);
    }
    m_graphics->SetInterpolationMode(stretched ? Gdiplus::InterpolationModeHighQualityBilinear
                                               : Gdiplus::InterpolationModeNearestNeighbor);
    // Images are sampled at their pixels' centres only in the half-pixel offset mode, without the world's
    // half-pixel move that stands in for it elsewhere.
    const Gdiplus::GraphicsState saved = m_graphics->Save();
    m_graphics->ResetTransform();
    m_graphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    m_graphics->DrawImage(bitmap, dest, Gdiplus::REAL(left), Gdiplus::REAL(top), Gdiplus::REAL(right - left),
                          Gdiplus::REAL(bottom - top), Gdiplus::UnitPixel, &attributes);
    m_graphics->Restore(saved);
}

void GdiPlusGraphicsContext::DrawImageTransparent(const VImage* image, int x, int y, int w, int h, int sx,
                                                  int sy, const VColour& key) {
    if (!m_graphics || !image || !image->HasBitmap() || w <= 0 || h <= 0) return;
    const int64_t left = std::max<int64_t>(sx, 0), top = std::max<int64_t>(sy, 0);
    const int64_t right = std::min<int64_t>(int64_t(sx) + w, image->GetWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(sy) + h, image->GetHeight());
    if (left >= right || top >= bottom) return;
    const int partW = int(right - left), partH = int(bottom - top);

    std::vector<uint32_t> pixels(size_t(partW) * size_t(partH));
    const uint32_t keyRGB =
        uint32_t(key.GetRed()) << 16 | uint32_t(key.GetGreen()) << 8 | uint32_t(key.GetBlue());
    for (int row = 0; row < partH; ++row) {
        for (int column = 0; column < partW; ++column) {
            // The stored colour bytes are compared and copied as they are, alpha or not.
            const uint8_t* p = image->GetRow(image->GetHeight() - 1 - int(top) - row) +
                               size_t(left + column) * size_t(image->GetBitsPerPixel() / 8);
            const uint32_t rgb = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            pixels[size_t(row) * size_t(partW) + size_t(column)] = rgb == keyRGB ? 0u : (0xFF000000u | rgb);
        }
    }
    Gdiplus::Bitmap masked(partW, partH, partW * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(pixels.data()));
    m_graphics->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    m_graphics->DrawImage(
        &masked, Gdiplus::Rect(m_originX + x + int(left - sx), m_originY + y + int(top - sy), partW, partH),
        0, 0, partW, partH, Gdiplus::UnitPixel);
}

// ---- pen, lines and figures

std::unique_ptr<Gdiplus::Pen> GdiPlusGraphicsContext::MakePen(const VColour& colour, int dashStyle,
                                                              double width) const {
    if (!(width > 0.0)) width = 1.0;
    auto pen = std::make_unique<Gdiplus::Pen>(ToColor(colour), Gdiplus::REAL(width));
    pen->SetLineJoin(Gdiplus::LineJoinMiter);
    // Dash lengths are in line widths, as the cairo context's (three on, one off; one on, one off).
    if (dashStyle == kDashDashed) {
        const Gdiplus::REAL dashes[2] = {3.0f, 1.0f};
        pen->SetDashPattern(dashes, 2);
    } else if (dashStyle == kDashDotted) {
        const Gdiplus::REAL dashes[2] = {1.0f, 1.0f};
        pen->SetDashPattern(dashes, 2);
    }
    return pen;
}

void GdiPlusGraphicsContext::MoveTo(int x, int y) {
    m_penPosition = VPoint{x, y};
}

void GdiPlusGraphicsContext::LineTo(int x, int y) {
    const VPoint from = m_penPosition;
    m_penPosition = VPoint{x, y};
    if (!m_graphics) return;
    // A one pixel wide pen, no smoothing: the pixels of a Bresenham walk, the last one left out.
    Gdiplus::GraphicsPath path;
    GraphicsContextRules::ForEachPenPixel(from, VPoint{x, y}, [&](int px, int py) {
        path.AddRectangle(Gdiplus::Rect(m_originX + px, m_originY + py, 1, 1));
    });
    Gdiplus::SolidBrush brush(ToColor(m_lineColour, true));
    m_graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    m_graphics->FillPath(&brush, &path);
    m_graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
}

void GdiPlusGraphicsContext::DrawLine(int x1, int y1, int x2, int y2, const VColour& colour, int dashStyle,
                                      double width) {
    if (!m_graphics) return;
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawLine(pen.get(), float(m_originX + x1) + 0.5f, float(m_originY + y1) + 0.5f,
                         float(m_originX + x2) + 0.5f, float(m_originY + y2) + 0.5f);
}

void GdiPlusGraphicsContext::DrawLines(const VPointReal* points, int count, const VColour& colour,
                                       int dashStyle, double width) {
    if (!m_graphics || !points || count < 2) return;
    std::vector<Gdiplus::PointF> moved(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        moved[size_t(i)] =
            Gdiplus::PointF(float(m_originX + points[i].x + 0.5), float(m_originY + points[i].y + 0.5));
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawLines(pen.get(), moved.data(), count);
}

void GdiPlusGraphicsContext::DrawLines(const VPoint* points, int count, const VColour& colour, int dashStyle,
                                       double width) {
    if (!points || count < 2) return;
    const std::vector<VPointReal> real = GraphicsContextRules::ToRealPoints(points, count);
    DrawLines(real.data(), count, colour, dashStyle, width);
}

void GdiPlusGraphicsContext::FillPolygon(const VPoint* points, int count, const VColour& colour) {
    if (!m_graphics || !points || count < 3) return;
    std::vector<Gdiplus::PointF> moved(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        moved[size_t(i)] = Gdiplus::PointF(float(m_originX + points[i].x), float(m_originY + points[i].y));
    Gdiplus::SolidBrush brush(ToColor(colour));
    m_graphics->FillPolygon(&brush, moved.data(), count, Gdiplus::FillModeWinding);
}

void GdiPlusGraphicsContext::SetPixel(int x, int y, const VColour& colour) {
    if (!m_graphics) return;
    Gdiplus::SolidBrush brush(ToColor(colour, true));
    m_graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    m_graphics->FillRectangle(&brush, m_originX + x, m_originY + y, 1, 1);
    m_graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
}

void GdiPlusGraphicsContext::DrawRectangle(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                                           double width) {
    if (!m_graphics || colour.GetAlpha() == 0 || w <= 0 || h <= 0) return;
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawRectangle(pen.get(), float(m_originX + x) + 0.5f, float(m_originY + y) + 0.5f,
                              float(w - 1), float(h - 1));
}

void GdiPlusGraphicsContext::FillRectangle(int x, int y, int w, int h, const VColour& colour) {
    if (!m_graphics || colour.GetAlpha() == 0 || w <= 0 || h <= 0) return;
    Gdiplus::SolidBrush brush(ToColor(colour));
    m_graphics->FillRectangle(&brush, m_originX + x, m_originY + y, w, h);
}

void GdiPlusGraphicsContext::DrawRoundedRectangle(int x, int y, int w, int h, int radius,
                                                  const VColour& colour, int dashStyle, double width) {
    if (!m_graphics || w <= 0 || h <= 0) return;
    Gdiplus::GraphicsPath path;
    AddRoundedRectangle(path, float(m_originX + x) + 0.5f, float(m_originY + y) + 0.5f, float(w - 1),
                        float(h - 1), float(radius));
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawPath(pen.get(), &path);
}

void GdiPlusGraphicsContext::FillRoundedRectangle(int x, int y, int w, int h, int radius,
                                                  const VColour& colour) {
    if (!m_graphics || w <= 0 || h <= 0) return;
    Gdiplus::GraphicsPath path;
    AddRoundedRectangle(path, float(m_originX + x), float(m_originY + y), float(w), float(h), float(radius));
    Gdiplus::SolidBrush brush(ToColor(colour));
    m_graphics->FillPath(&brush, &path);
}

void GdiPlusGraphicsContext::DrawEllipse(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                                         double width) {
    if (!m_graphics || w <= 1 || h <= 1) return;
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawEllipse(pen.get(), float(m_originX + x) + 0.5f, float(m_originY + y) + 0.5f, float(w - 1),
                            float(h - 1));
}

void GdiPlusGraphicsContext::FillEllipse(int x, int y, int w, int h, const VColour& colour) {
    if (!m_graphics || w <= 0 || h <= 0) return;
    Gdiplus::SolidBrush brush(ToColor(colour));
    m_graphics->FillEllipse(&brush, float(m_originX + x), float(m_originY + y), float(w), float(h));
}

void GdiPlusGraphicsContext::DrawArc(int x, int y, int w, int h, double startAngle, double sweepAngle,
                                     const VColour& colour, int dashStyle, double width) {
    if (!m_graphics || w <= 1 || h <= 1 || !std::isfinite(startAngle) || !std::isfinite(sweepAngle)) return;
    auto pen = MakePen(colour, dashStyle, width);
    m_graphics->DrawArc(pen.get(), float(m_originX + x) + 0.5f, float(m_originY + y) + 0.5f, float(w - 1),
                        float(h - 1), float(startAngle), float(sweepAngle));
}

// ---- text

void GdiPlusGraphicsContext::UpdateFont() {
    std::string family;
    double pixels = kDefaultFontPixels;
    int style = Gdiplus::FontStyleRegular;
    const VString* description = nullptr;
    if (m_font && m_font->IsKindOf(VString::GetClassRecord()))
        description = static_cast<const VString*>(m_font.Get());
    if (description && !description->IsBlank()) {
        // "Family words [Bold] [Italic] [size[px|pt]]", as the cairo context reads it.
        std::string words;
        std::string text = description->GetText();
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = std::min(text.find(' ', start), text.size());
            const std::string word = text.substr(start, end - start);
            start = end + 1;
            if (word.empty()) continue;
            if (word == "Bold") {
                style |= Gdiplus::FontStyleBold;
            } else if (word == "Italic" || word == "Oblique") {
                style |= Gdiplus::FontStyleItalic;
            } else if (std::isdigit(static_cast<unsigned char>(word[0]))) {
                const double value = std::atof(word.c_str());
                const bool isPixels = word.size() > 2 && word.compare(word.size() - 2, 2, "px") == 0;
                if (value > 0.0) pixels = isPixels ? value : value * 96.0 / 72.0;
            } else {
                if (!words.empty()) words += ' ';
                words += word;
            }
        }
        // The generic families of the font descriptions are the system's user-interface fonts here.
        if (words != "Sans" && words != "sans-serif") family = words;
    }
    // The default face is the one the POSIX build draws with (DejaVu Sans, what "Sans" names there) where the
    // system has it, so that texts take the room the pages were laid out for; else the system's own
    // user-interface faces.
    std::vector<std::string> candidates;
    if (family.empty()) {
        candidates = {"DejaVu Sans", "Tahoma", "Microsoft Sans Serif", "Arial"};
    } else {
        candidates = {family, "DejaVu Sans", "Tahoma", "Arial"};
    }
    m_gdiFont.reset();
    for (const std::string& candidate : candidates) {
        const std::wstring wide = ToWide(candidate.c_str());
        Gdiplus::FontFamily fontFamily(wide.c_str());
        if (fontFamily.GetLastStatus() != Gdiplus::Ok) continue;
        auto font =
            std::make_unique<Gdiplus::Font>(&fontFamily, Gdiplus::REAL(pixels), style, Gdiplus::UnitPixel);
        if (font->GetLastStatus() != Gdiplus::Ok) continue;
        m_gdiFont = std::move(font);
        return;
    }
}

void GdiPlusGraphicsContext::SetFont(VObject* font) {
    m_font = VRef<VObject>::Retained(font);
    if (StartGdiPlus()) UpdateFont();
}

void GdiPlusGraphicsContext::MeasureText(const char* text, VSize& size) {
    size = VSize{};
    if (!text || !m_measureGraphics || !m_gdiFont) return;
    const std::wstring wide = ToWide(text);
    Gdiplus::RectF bounds;
    m_measureGraphics->MeasureString(wide.c_str(), int(wide.size()), m_gdiFont.get(), Gdiplus::PointF(0, 0),
                                     TextFormat(false), &bounds);
    size.width = int(std::ceil(bounds.Width));
    // An empty text still has the height of a line, as a layout of it has.
    size.height = int(std::ceil(std::max(bounds.Height, m_gdiFont->GetHeight(m_measureGraphics.get()))));
}

void GdiPlusGraphicsContext::MeasureText(const VString& text, VSize& size) {
    MeasureText(text.GetText(), size);
}

void GdiPlusGraphicsContext::DrawTextCore(int x, int y, const char* text, const VColour& colour,
                                          const VColour* background) {
    if (!m_graphics || !text || !m_gdiFont) return;
    const std::wstring wide = ToWide(text);
    if (background) {
        VSize size;
        MeasureText(text, size);
        Gdiplus::SolidBrush fill(ToColor(*background, true));
        m_graphics->FillRectangle(&fill, m_originX + x, m_originY + y, size.width, size.height);
    }
    // Text takes its colour's red, green and blue; its alpha does not make it translucent.
    Gdiplus::SolidBrush brush(ToColor(colour, true));
    m_graphics->DrawString(wide.c_str(), int(wide.size()), m_gdiFont.get(),
                           Gdiplus::PointF(float(m_originX + x), float(m_originY + y)), TextFormat(false),
                           &brush);
}

void GdiPlusGraphicsContext::DrawText(int x, int y, const char* text, const VColour& colour) {
    DrawTextCore(x, y, text, colour, nullptr);
}

void GdiPlusGraphicsContext::DrawText(int x, int y, const char* text, const VColour& colour,
                                      bool opaqueBackground) {
    DrawTextCore(x, y, text, colour, opaqueBackground ? &m_background : nullptr);
}

void GdiPlusGraphicsContext::DrawTextInRect(int x, int y, const char* text, const VColour& colour,
                                            const VRect& rect) {
    if (!m_graphics || !text || !m_gdiFont) return;
    VSize size;
    MeasureText(text, size);
    // Saved and restored with GDI+ itself: this pair must balance even when the state stack is full.
    const Gdiplus::GraphicsState saved = m_graphics->Save();
    m_graphics->IntersectClip(Gdiplus::Rect(m_originX + rect.x, m_originY + rect.y, std::max(rect.width, 0),
                                            std::max(rect.height, 0)));
    const std::wstring wide = ToWide(text);
    Gdiplus::SolidBrush brush(ToColor(colour, true));
    m_graphics->DrawString(wide.c_str(), int(wide.size()), m_gdiFont.get(),
                           Gdiplus::PointF(float(m_originX + rect.x + x),
                                           float(m_originY + rect.y + y + (rect.height - size.height) / 2)),
                           TextFormat(false), &brush);
    m_graphics->Restore(saved);
}

void GdiPlusGraphicsContext::DrawTextInBox(int x, int y, int w, int h, const char* text,
                                           const VColour& colour) {
    if (!m_graphics || !text || !m_gdiFont || w <= 0 || h <= 0) return;
    const Gdiplus::GraphicsState saved = m_graphics->Save();
    const Gdiplus::RectF box(float(m_originX + x), float(m_originY + y), float(w), float(h));
    m_graphics->IntersectClip(box);
    const std::wstring wide = ToWide(text);
    Gdiplus::SolidBrush brush(ToColor(colour, true));
    m_graphics->DrawString(wide.c_str(), int(wide.size()), m_gdiFont.get(), box, TextFormat(true), &brush);
    m_graphics->Restore(saved);
}

// ---- state

void GdiPlusGraphicsContext::SaveState() {
    if (!m_graphics) return;
    if (int(m_states.size()) >= kMaxSavedStates) {
        ++m_ignoredSaves;
        return;
    }
    m_states.push_back(SavedState{m_graphics->Save(), m_lineColour, m_penPosition, m_font, m_foreground,
                                  m_background, m_clipped});
}

void GdiPlusGraphicsContext::RestoreState() {
    if (!m_graphics || m_states.empty()) return;
    SavedState state = m_states.back();
    m_graphics->Restore(state.graphicsState);
    if (m_ignoredSaves > 0) {
        // This restore matches an ignored save: go back to the deepest saved state but keep it saved, so that
        // the restore matching that save still finds it.
        --m_ignoredSaves;
        m_states.back().graphicsState = m_graphics->Save();
    } else {
        m_states.pop_back();
    }
    m_lineColour = state.lineColour;
    m_penPosition = state.penPosition;
    if (m_font.Get() != state.font.Get()) {
        m_font = state.font;
        UpdateFont();
    }
    m_foreground = state.foreground;
    m_background = state.background;
    m_clipped = state.clipped;
}

void GdiPlusGraphicsContext::ClipRect(int x, int y, int w, int h) {
    if (!m_graphics) return;
    m_graphics->IntersectClip(Gdiplus::Rect(m_originX + x, m_originY + y, std::max(w, 0), std::max(h, 0)));
    m_clipped = true;
}

bool GdiPlusGraphicsContext::GetClipBox(VRect& box) const {
    box = VRect{};
    if (!m_graphics || !m_clipped) return false;
    Gdiplus::RectF bounds;
    m_graphics->GetClipBounds(&bounds);
    const int left = int(std::floor(bounds.X)), top = int(std::floor(bounds.Y));
    box = VRect{left - m_originX, top - m_originY, int(std::ceil(bounds.X + bounds.Width)) - left,
                int(std::ceil(bounds.Y + bounds.Height)) - top};
    if (box.width < 0 || box.height < 0) box = VRect{left - m_originX, top - m_originY, 0, 0};
    return true;
}

void GdiPlusGraphicsContext::SetOrigin(int x, int y) {
    m_originX = x;
    m_originY = y;
}

VRef<OffscreenGraphicsContext> MakeOffscreenGraphicsContext() {
    return VFoundation::MakeRef<GdiPlusGraphicsContext>();
}

VFoundation::VClass* GetOffscreenGraphicsContextClassRecord() {
    return GdiPlusGraphicsContext::GetClassRecord();
}

} // namespace VCtrl
