#include "ctrl/CairoGraphicsContext.h"

#include "ctrl/GraphicsContextRules.h"
#include "foundation/VClass.h"
#include "foundation/VImage.h"
#include "foundation/VString.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace VCtrl {

using VFoundation::VImage;
using VFoundation::VObject;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CairoGraphicsContext, VFoundation::VObject)

namespace {

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

// An image converted for cairo, kept with the image until its pixels change.
class CairoImageCache : public VImage::RenderCache {
public:
    explicit CairoImageCache(cairo_surface_t* surface) : m_surface(surface) {}
    ~CairoImageCache() override { cairo_surface_destroy(m_surface); }
    CairoImageCache(const CairoImageCache&) = delete;
    CairoImageCache& operator=(const CairoImageCache&) = delete;
    cairo_surface_t* Surface() const { return m_surface; }

private:
    cairo_surface_t* m_surface;
};

// The image's pixel at picture column x and picture row y (top-down) as a cairo word.
uint32_t PixelWord(const VImage& image, int x, int y) {
    const uint8_t* row = image.GetRow(image.GetHeight() - 1 - y);
    if (image.GetBitsPerPixel() == 32) {
        const uint8_t* p = row + size_t(x) * 4;
        if (!image.HasAlpha()) return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        // cairo needs every premultiplied colour to be at most the alpha.
        const uint8_t a = p[3];
        const uint8_t r = std::min(p[2], a), g = std::min(p[1], a), b = std::min(p[0], a);
        return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    }
    const uint8_t* p = row + size_t(x) * 3;
    return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// The image as a cairo surface (top-down), made on first use and kept by the image. Not referenced for
// the caller.
cairo_surface_t* SurfaceForImage(const VImage& image) {
    if (auto* cache = dynamic_cast<CairoImageCache*>(image.GetRenderCache())) return cache->Surface();
    const int width = image.GetWidth(), height = image.GetHeight();
    const cairo_format_t format = image.HasAlpha() ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    cairo_surface_t* surface = cairo_image_surface_create(format, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < width; ++x)
            out[x] = PixelWord(image, x, y);
    }
    cairo_surface_mark_dirty(surface);
    image.SetRenderCache(std::make_unique<CairoImageCache>(surface));
    return surface;
}

const uint16_t kWindows1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Pango takes UTF-8 only; the system's 8-bit texts that are not UTF-8 are Windows-1252.
std::string ToUtf8(const char* text) {
    if (g_utf8_validate(text, -1, nullptr)) return text;
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned code = *p;
        if (code >= 0x80 && code < 0xA0) code = kWindows1252High[code - 0x80];
        char buffer[6];
        const int length = g_unichar_to_utf8(gunichar(code), buffer);
        out.append(buffer, size_t(length));
    }
    return out;
}

} // namespace

// Pango state: one context for layout and measuring, so that measured and drawn text agree.
struct CairoGraphicsContext::TextEngine {
    TextEngine() {
        context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context, 96.0);
        SetFont(nullptr);
    }
    ~TextEngine() {
        pango_font_description_free(font);
        g_object_unref(context);
    }
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    void SetFont(const VObject* fontObject) {
        if (font) pango_font_description_free(font);
        const VString* description = nullptr;
        if (fontObject && fontObject->IsKindOf(VString::GetClassRecord()))
            description = static_cast<const VString*>(fontObject);
        font = pango_font_description_from_string(
            description && !description->IsBlank() ? description->GetText() : kDefaultFont);
    }

    // A new layout of text (the caller unrefs it), shaped for cr when given.
    PangoLayout* Layout(cairo_t* cr, const char* text) {
        if (cr) {
            // Only the transformation and the target's font options are taken from cr; the context's
            // own options stay.
            cairo_font_options_t* options =
                cairo_font_options_copy(pango_cairo_context_get_font_options(context));
            pango_cairo_update_context(cr, context);
            pango_cairo_context_set_font_options(context, options);
            cairo_font_options_destroy(options);
        }
        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_font_description(layout, font);
        const std::string utf8 = ToUtf8(text);
        pango_layout_set_text(layout, utf8.c_str(), int(utf8.size()));
        return layout;
    }

    PangoContext* context = nullptr;
    PangoFontDescription* font = nullptr;
};

CairoGraphicsContext::CairoGraphicsContext(VFoundation::VClass* record)
    : OffscreenGraphicsContext(record ? record : GetClassRecord()), m_text(std::make_unique<TextEngine>()) {}

CairoGraphicsContext::~CairoGraphicsContext() {
    SetTarget(nullptr);
}

void CairoGraphicsContext::SetTarget(cairo_surface_t* surface) {
    if (surface) cairo_surface_reference(surface);
    if (m_cr) cairo_destroy(m_cr);
    if (m_target) cairo_surface_destroy(m_target);
    m_cr = nullptr;
    m_target = surface;
    m_states.clear();
    m_ignoredSaves = 0;
    m_clipped = false;
    m_originX = m_originY = 0;
    if (!surface) return;
    m_cr = cairo_create(surface);
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(m_cr);
        m_cr = nullptr;
    }
}

bool CairoGraphicsContext::CreateTarget(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    const bool made = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    SetTarget(made ? surface : nullptr);
    cairo_surface_destroy(surface);
    return made && m_cr;
}

int CairoGraphicsContext::GetTargetWidth() const {
    return m_target && cairo_surface_get_type(m_target) == CAIRO_SURFACE_TYPE_IMAGE
               ? cairo_image_surface_get_width(m_target)
               : 0;
}

int CairoGraphicsContext::GetTargetHeight() const {
    return m_target && cairo_surface_get_type(m_target) == CAIRO_SURFACE_TYPE_IMAGE
               ? cairo_image_surface_get_height(m_target)
               : 0;
}

uint32_t CairoGraphicsContext::GetTargetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= GetTargetWidth() || y >= GetTargetHeight()) return 0;
    cairo_surface_flush(m_target);
    const unsigned char* data = cairo_image_surface_get_data(m_target);
    if (!data) return 0;
    const int stride = cairo_image_surface_get_stride(m_target);
    const uint32_t word = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride))[x];
    return cairo_image_surface_get_format(m_target) == CAIRO_FORMAT_RGB24 ? (word | 0xFF000000u) : word;
}

bool CairoGraphicsContext::SaveTargetAsPNG(const char* path) const {
    if (!m_target || !path) return false;
    cairo_surface_flush(m_target);
    return cairo_surface_write_to_png(m_target, path) == CAIRO_STATUS_SUCCESS;
}

void CairoGraphicsContext::Flush() {
    if (m_target) cairo_surface_flush(m_target);
}

void CairoGraphicsContext::CopyFrom(OffscreenGraphicsContext& source, const VRect& rect) {
    cairo_surface_t* from = static_cast<CairoGraphicsContext&>(source).m_target;
    if (!m_target || !from || rect.IsEmpty()) return;
    cairo_surface_flush(from);
    cairo_t* cr = cairo_create(m_target);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, from, 0, 0);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(m_target);
}

// ---- images

void CairoGraphicsContext::DrawImage(const VImage* image, int x, int y, int w, int h, int sx, int sy, int sw,
                                     int sh) {
    if (!image) return;
    if (image->HasAlpha())
        DrawImageAlpha(image, x, y, w, h, sx, sy, sw, sh, 1.0);
    else
        DrawImageCore(image, x, y, w, h, sx, sy, sw, sh, 1.0);
}

void CairoGraphicsContext::DrawImageAlpha(const VImage* image, int x, int y, int w, int h, int sx, int sy,
                                          int sw, int sh, double opacity) {
    const int constantAlpha = GraphicsContextRules::ConstantAlpha(opacity);
    if (constantAlpha == 0) return;
    DrawImageCore(image, x, y, w, h, sx, sy, sw, sh, constantAlpha / 255.0);
}

void CairoGraphicsContext::DrawImageCore(const VImage* image, int x, int y, int w, int h, int sx, int sy,
                                         int sw, int sh, double alpha) {
    if (!m_cr || !image || !image->HasBitmap()) return;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    // Only the part of the source rectangle that lies on the image is drawn, at the place it would have
    // had in the whole stretched rectangle.
    const int64_t left = std::max<int64_t>(sx, 0), top = std::max<int64_t>(sy, 0);
    const int64_t right = std::min<int64_t>(int64_t(sx) + sw, image->GetWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(sy) + sh, image->GetHeight());
    if (left >= right || top >= bottom) return;
    cairo_surface_t* surface = SurfaceForImage(*image);
    if (!surface) return;

    const double scaleX = double(w) / sw, scaleY = double(h) / sh;
    const double destX = m_originX + x + double(left - sx) * scaleX;
    const double destY = m_originY + y + double(top - sy) * scaleY;
    const double destW = double(right - left) * scaleX, destH = double(bottom - top) * scaleY;
    cairo_surface_t* part = cairo_surface_create_for_rectangle(surface, double(left), double(top),
                                                               double(right - left), double(bottom - top));
    cairo_save(m_cr);
    cairo_rectangle(m_cr, destX, destY, destW, destH);
    cairo_clip(m_cr);
    cairo_translate(m_cr, destX, destY);
    cairo_scale(m_cr, scaleX, scaleY);
    cairo_set_source_surface(m_cr, part, 0.0, 0.0);
    cairo_pattern_t* pattern = cairo_get_source(m_cr);
    // A copy at the same size moves pixels unchanged; a stretch is filtered, padding at the part's edges
    // so that no pixel outside the source rectangle bleeds in.
    const bool stretched = w != sw || h != sh;
    cairo_pattern_set_filter(pattern, stretched ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    if (alpha >= 1.0)
        cairo_paint(m_cr);
    else
        cairo_paint_with_alpha(m_cr, alpha);
    cairo_restore(m_cr);
    cairo_surface_destroy(part);
}

void CairoGraphicsContext::DrawImageTransparent(const VImage* image, int x, int y, int w, int h, int sx,
                                                int sy, const VColour& key) {
    if (!m_cr || !image || !image->HasBitmap() || w <= 0 || h <= 0) return;
    const int64_t left = std::max<int64_t>(sx, 0), top = std::max<int64_t>(sy, 0);
    const int64_t right = std::min<int64_t>(int64_t(sx) + w, image->GetWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(sy) + h, image->GetHeight());
    if (left >= right || top >= bottom) return;
    const int partW = int(right - left), partH = int(bottom - top);

    cairo_surface_t* masked = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, partW, partH);
    if (cairo_surface_status(masked) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(masked);
        return;
    }
    cairo_surface_flush(masked);
    unsigned char* data = cairo_image_surface_get_data(masked);
    const int stride = cairo_image_surface_get_stride(masked);
    const uint32_t keyRGB =
        uint32_t(key.GetRed()) << 16 | uint32_t(key.GetGreen()) << 8 | uint32_t(key.GetBlue());
    for (int row = 0; row < partH; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(data + size_t(row) * size_t(stride));
        for (int column = 0; column < partW; ++column) {
            // The stored colour bytes are compared and copied as they are, alpha or not.
            const uint8_t* p = image->GetRow(image->GetHeight() - 1 - int(top) - row) +
                               size_t(left + column) * size_t(image->GetBitsPerPixel() / 8);
            const uint32_t rgb = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            out[column] = rgb == keyRGB ? 0u : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(masked);

    cairo_save(m_cr);
    cairo_set_source_surface(m_cr, masked, double(m_originX + x + (left - sx)),
                             double(m_originY + y + (top - sy)));
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(m_cr, double(m_originX + x + (left - sx)), double(m_originY + y + (top - sy)), partW,
                    partH);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(masked);
}

// ---- pen, lines and figures

void CairoGraphicsContext::SetSource(const VColour& colour, bool opaque) {
    cairo_set_source_rgba(m_cr, colour.GetRedReal(), colour.GetGreenReal(), colour.GetBlueReal(),
                          opaque ? 1.0 : colour.GetAlphaReal());
}

void CairoGraphicsContext::SetStroke(const VColour& colour, int dashStyle, double width) {
    if (!(width > 0.0)) width = 1.0;
    SetSource(colour);
    cairo_set_line_width(m_cr, width);
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_MITER);
    if (dashStyle == kDashDashed) {
        const double dashes[2] = {3.0 * width, 1.0 * width};
        cairo_set_dash(m_cr, dashes, 2, 0.0);
    } else if (dashStyle == kDashDotted) {
        const double dashes[2] = {width, width};
        cairo_set_dash(m_cr, dashes, 2, 0.0);
    } else {
        cairo_set_dash(m_cr, nullptr, 0, 0.0);
    }
}

void CairoGraphicsContext::MoveTo(int x, int y) {
    m_penPosition = VPoint{x, y};
}

void CairoGraphicsContext::LineTo(int x, int y) {
    const VPoint from = m_penPosition;
    m_penPosition = VPoint{x, y};
    if (!m_cr) return;
    // A one pixel wide pen, no smoothing: the pixels of a Bresenham walk, the last one left out.
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    GraphicsContextRules::ForEachPenPixel(from, VPoint{x, y}, [&](int px, int py) {
        cairo_rectangle(m_cr, m_originX + px, m_originY + py, 1.0, 1.0);
    });
    SetSource(m_lineColour, true);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawLine(int x1, int y1, int x2, int y2, const VColour& colour, int dashStyle,
                                    double width) {
    if (!m_cr) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, m_originX + x1 + 0.5, m_originY + y1 + 0.5);
    cairo_line_to(m_cr, m_originX + x2 + 0.5, m_originY + y2 + 0.5);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawLines(const VPointReal* points, int count, const VColour& colour,
                                     int dashStyle, double width) {
    if (!m_cr || !points || count < 2) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, m_originX + points[0].x + 0.5, m_originY + points[0].y + 0.5);
    for (int i = 1; i < count; ++i)
        cairo_line_to(m_cr, m_originX + points[i].x + 0.5, m_originY + points[i].y + 0.5);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawLines(const VPoint* points, int count, const VColour& colour, int dashStyle,
                                     double width) {
    if (!points || count < 2) return;
    const std::vector<VPointReal> real = GraphicsContextRules::ToRealPoints(points, count);
    DrawLines(real.data(), count, colour, dashStyle, width);
}

void CairoGraphicsContext::FillPolygon(const VPoint* points, int count, const VColour& colour) {
    if (!m_cr || !points || count < 3) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_move_to(m_cr, m_originX + points[0].x, m_originY + points[0].y);
    for (int i = 1; i < count; ++i)
        cairo_line_to(m_cr, m_originX + points[i].x, m_originY + points[i].y);
    cairo_close_path(m_cr);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    SetSource(colour);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::SetPixel(int x, int y, const VColour& colour) {
    if (!m_cr) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + x, m_originY + y, 1.0, 1.0);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    SetSource(colour, true);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawRectangle(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                                         double width) {
    if (!m_cr || colour.GetAlpha() == 0 || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + x + 0.5, m_originY + y + 0.5, w - 1, h - 1);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::FillRectangle(int x, int y, int w, int h, const VColour& colour) {
    if (!m_cr || colour.GetAlpha() == 0 || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + x, m_originY + y, w, h);
    SetSource(colour);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

namespace {

// Four straight edges and four quarter arcs; the corner arcs start at 270, 0, 90 and 180 degrees.
void RoundedRectanglePath(cairo_t* cr, double x, double y, double w, double h, double radius) {
    radius = std::clamp(radius, 0.0, std::min(w, h) / 2.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, Radians(270.0), Radians(360.0));
    cairo_arc(cr, x + w - radius, y + h - radius, radius, Radians(0.0), Radians(90.0));
    cairo_arc(cr, x + radius, y + h - radius, radius, Radians(90.0), Radians(180.0));
    cairo_arc(cr, x + radius, y + radius, radius, Radians(180.0), Radians(270.0));
    cairo_close_path(cr);
}

// The arc of the ellipse in the rectangle. The caller makes sure w and h are positive: a zero scale would
// put cr in a lasting error state.
void EllipseArcPath(cairo_t* cr, double x, double y, double w, double h, double start, double sweep) {
    cairo_save(cr);
    cairo_translate(cr, x + w / 2.0, y + h / 2.0);
    cairo_scale(cr, w / 2.0, h / 2.0);
    if (sweep >= 0.0)
        cairo_arc(cr, 0.0, 0.0, 1.0, Radians(start), Radians(start + sweep));
    else
        cairo_arc_negative(cr, 0.0, 0.0, 1.0, Radians(start), Radians(start + sweep));
    cairo_restore(cr);
}

} // namespace

void CairoGraphicsContext::DrawRoundedRectangle(int x, int y, int w, int h, int radius, const VColour& colour,
                                                int dashStyle, double width) {
    if (!m_cr || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    RoundedRectanglePath(m_cr, m_originX + x + 0.5, m_originY + y + 0.5, w - 1, h - 1, radius);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::FillRoundedRectangle(int x, int y, int w, int h, int radius,
                                                const VColour& colour) {
    if (!m_cr || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    RoundedRectanglePath(m_cr, m_originX + x, m_originY + y, w, h, radius);
    SetSource(colour);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawEllipse(int x, int y, int w, int h, const VColour& colour, int dashStyle,
                                       double width) {
    if (!m_cr || w <= 1 || h <= 1) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    EllipseArcPath(m_cr, m_originX + x + 0.5, m_originY + y + 0.5, w - 1, h - 1, 0.0, 360.0);
    cairo_close_path(m_cr);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::FillEllipse(int x, int y, int w, int h, const VColour& colour) {
    if (!m_cr || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    EllipseArcPath(m_cr, m_originX + x, m_originY + y, w, h, 0.0, 360.0);
    cairo_close_path(m_cr);
    SetSource(colour);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoGraphicsContext::DrawArc(int x, int y, int w, int h, double startAngle, double sweepAngle,
                                   const VColour& colour, int dashStyle, double width) {
    if (!m_cr || w <= 1 || h <= 1 || !std::isfinite(startAngle) || !std::isfinite(sweepAngle)) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    EllipseArcPath(m_cr, m_originX + x + 0.5, m_originY + y + 0.5, w - 1, h - 1, startAngle, sweepAngle);
    SetStroke(colour, dashStyle, width);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

// ---- text

void CairoGraphicsContext::DrawTextCore(int x, int y, const char* text, const VColour& colour,
                                        const VColour* background) {
    if (!m_cr || !text) return;
    PangoLayout* layout = m_text->Layout(m_cr, text);
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    if (background) {
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        cairo_rectangle(m_cr, m_originX + x, m_originY + y, width, height);
        SetSource(*background, true);
        cairo_fill(m_cr);
    }
    // Text takes its colour's red, green and blue; its alpha does not make it translucent.
    SetSource(colour, true);
    cairo_move_to(m_cr, m_originX + x, m_originY + y);
    pango_cairo_show_layout(m_cr, layout);
    cairo_restore(m_cr);
    g_object_unref(layout);
}

void CairoGraphicsContext::DrawText(int x, int y, const char* text, const VColour& colour) {
    DrawTextCore(x, y, text, colour, nullptr);
}

void CairoGraphicsContext::DrawText(int x, int y, const char* text, const VColour& colour,
                                    bool opaqueBackground) {
    DrawTextCore(x, y, text, colour, opaqueBackground ? &m_background : nullptr);
}

void CairoGraphicsContext::DrawTextInRect(int x, int y, const char* text, const VColour& colour,
                                          const VRect& rect) {
    if (!m_cr || !text) return;
    PangoLayout* layout = m_text->Layout(m_cr, text);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    // Saved and restored with cairo itself: this pair must balance even when the state stack is full.
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + rect.x, m_originY + rect.y, std::max(rect.width, 0),
                    std::max(rect.height, 0));
    cairo_clip(m_cr);
    SetSource(colour, true);
    cairo_move_to(m_cr, m_originX + rect.x + x, m_originY + rect.y + y + (rect.height - height) / 2);
    pango_cairo_show_layout(m_cr, layout);
    cairo_restore(m_cr);
    g_object_unref(layout);
}

void CairoGraphicsContext::DrawTextInBox(int x, int y, int w, int h, const char* text,
                                         const VColour& colour) {
    if (!m_cr || !text || w <= 0 || h <= 0) return;
    PangoLayout* layout = m_text->Layout(m_cr, text);
    pango_layout_set_width(layout, w * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + x, m_originY + y, w, h);
    cairo_clip(m_cr);
    SetSource(colour, true);
    cairo_move_to(m_cr, m_originX + x, m_originY + y);
    pango_cairo_show_layout(m_cr, layout);
    cairo_restore(m_cr);
    g_object_unref(layout);
}

void CairoGraphicsContext::MeasureText(const char* text, VSize& size) {
    size = VSize{};
    if (!text) return;
    PangoLayout* layout = m_text->Layout(m_cr, text);
    pango_layout_get_pixel_size(layout, &size.width, &size.height);
    g_object_unref(layout);
}

void CairoGraphicsContext::MeasureText(const VString& text, VSize& size) {
    MeasureText(text.GetText(), size);
}

void CairoGraphicsContext::SetFont(VObject* font) {
    m_font = VRef<VObject>::Retained(font);
    m_text->SetFont(font);
}

// ---- state

void CairoGraphicsContext::SetLineColour(const VColour& colour) {
    m_lineColour = colour;
}

void CairoGraphicsContext::SaveState() {
    if (!m_cr) return;
    if (int(m_states.size()) >= kMaxSavedStates) {
        ++m_ignoredSaves;
        return;
    }
    cairo_save(m_cr);
    m_states.push_back(
        SavedState{m_lineColour, m_penPosition, m_font, m_foreground, m_background, m_clipped});
}

void CairoGraphicsContext::RestoreState() {
    if (!m_cr || m_states.empty()) return;
    cairo_restore(m_cr);
    SavedState state = m_states.back();
    if (m_ignoredSaves > 0) {
        // This restore matches an ignored save: go back to the deepest saved state but keep it saved,
        // so that the restore matching that save still finds it.
        --m_ignoredSaves;
        cairo_save(m_cr);
    } else {
        m_states.pop_back();
    }
    m_lineColour = state.lineColour;
    m_penPosition = state.penPosition;
    if (m_font.Get() != state.font.Get()) {
        m_font = state.font;
        m_text->SetFont(m_font.Get());
    }
    m_foreground = state.foreground;
    m_background = state.background;
    m_clipped = state.clipped;
}

void CairoGraphicsContext::ClipRect(int x, int y, int w, int h) {
    if (!m_cr) return;
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_originX + x, m_originY + y, std::max(w, 0), std::max(h, 0));
    cairo_clip(m_cr);
    m_clipped = true;
}

bool CairoGraphicsContext::GetClipBox(VRect& box) const {
    box = VRect{};
    if (!m_cr || !m_clipped) return false;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(m_cr, &x1, &y1, &x2, &y2);
    const int left = int(std::floor(x1)), top = int(std::floor(y1));
    box = VRect{left - m_originX, top - m_originY, int(std::ceil(x2)) - left, int(std::ceil(y2)) - top};
    return true;
}

void CairoGraphicsContext::SetOrigin(int x, int y) {
    m_originX = x;
    m_originY = y;
}

VRef<OffscreenGraphicsContext> MakeOffscreenGraphicsContext() {
    return VFoundation::MakeRef<CairoGraphicsContext>();
}

VFoundation::VClass* GetOffscreenGraphicsContextClassRecord() {
    return CairoGraphicsContext::GetClassRecord();
}

} // namespace VCtrl

#if defined(__SANITIZE_ADDRESS__)
#define KIS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIS_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(KIS_ADDRESS_SANITIZER)
// fontconfig, under Pango, loses track of some of its cache blocks (allocated on Pango's font loading
// thread), which the leak checker reports at exit of every program that draws text. The library does
// not own that memory and cannot free it; the suppression covers only blocks allocated inside fontconfig.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
