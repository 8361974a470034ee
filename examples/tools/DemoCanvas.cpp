#include "examples/tools/DemoCanvas.h"

#include "foundation/VImageIOTarga.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

constexpr int kSamples = 4;

struct Glyph {
    char character;
    const char* rows[7];
};

// 5 x 7 dot patterns.
constexpr Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {',', {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'&', {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
};

const Glyph* FindGlyph(char character) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    for (const Glyph& glyph : kGlyphs)
        if (glyph.character == upper) return &glyph;
    return nullptr;
}

float Clamp01(float value) {
    return std::min(1.0f, std::max(0.0f, value));
}

uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::lround(Clamp01(value) * 255.0f));
}

// Inside a rounded rectangle.
bool InRoundedRect(float px, float py, float x, float y, float w, float h, float radius) {
    if (px < x || py < y || px >= x + w || py >= y + h) return false;
    const float cx = std::clamp(px, x + radius, x + w - radius);
    const float cy = std::clamp(py, y + radius, y + h - radius);
    const float dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy <= radius * radius;
}

} // namespace

DemoCanvas::DemoCanvas(int width, int height, Colour fill)
    : m_width(width), m_height(height), m_pixels(size_t(width) * size_t(height), fill) {}

void DemoCanvas::Blend(int x, int y, Colour colour, float coverage) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || coverage <= 0.0f) return;
    Colour& pixel = m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
    const float a = colour.a * coverage;
    const float outA = a + pixel.a * (1.0f - a);
    if (outA <= 0.0f) return;
    pixel.r = (colour.r * a + pixel.r * pixel.a * (1.0f - a)) / outA;
    pixel.g = (colour.g * a + pixel.g * pixel.a * (1.0f - a)) / outA;
    pixel.b = (colour.b * a + pixel.b * pixel.a * (1.0f - a)) / outA;
    pixel.a = outA;
}

template <typename Inside, typename ColourAt>
void DemoCanvas::FillShapeShaded(float x0, float y0, float x1, float y1, Inside inside, ColourAt colourAt) {
    const int left = std::max(0, int(std::floor(x0))), right = std::min(m_width - 1, int(std::ceil(x1)));
    const int top = std::max(0, int(std::floor(y0))), bottom = std::min(m_height - 1, int(std::ceil(y1)));
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (inside(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples)) ++hits;
            if (hits)
                Blend(x, y, colourAt(float(x) + 0.5f, float(y) + 0.5f), float(hits) / (kSamples * kSamples));
        }
    }
}

template <typename Inside>
void DemoCanvas::FillShape(float x0, float y0, float x1, float y1, Colour colour, Inside inside) {
    FillShapeShaded(x0, y0, x1, y1, inside, [colour](float, float) { return colour; });
}

void DemoCanvas::FillVerticalGradient(Colour top, Colour bottom) {
    for (int y = 0; y < m_height; ++y) {
        const float t = m_height > 1 ? float(y) / float(m_height - 1) : 0.0f;
        const Colour colour{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t,
                            top.b + (bottom.b - top.b) * t, top.a + (bottom.a - top.a) * t};
        for (int x = 0; x < m_width; ++x)
            m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = colour;
    }
}

void DemoCanvas::FillVerticalGradient(float x, float y, float w, float h, float radius, Colour top,
                                      Colour bottom) {
    FillShapeShaded(
        x, y, x + w, y + h, [=](float px, float py) { return InRoundedRect(px, py, x, y, w, h, radius); },
        [=](float, float py) {
            const float t = Clamp01((py - y) / h);
            return Colour{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t,
                          top.b + (bottom.b - top.b) * t, top.a + (bottom.a - top.a) * t};
        });
}

void DemoCanvas::FillRoundedRect(float x, float y, float w, float h, float radius, Colour colour) {
    FillShape(x, y, x + w, y + h, colour,
              [=](float px, float py) { return InRoundedRect(px, py, x, y, w, h, radius); });
}

void DemoCanvas::FillEllipse(float cx, float cy, float rx, float ry, Colour colour) {
    FillShape(cx - rx, cy - ry, cx + rx, cy + ry, colour, [=](float px, float py) {
        const float dx = (px - cx) / rx, dy = (py - cy) / ry;
        return dx * dx + dy * dy <= 1.0f;
    });
}

void DemoCanvas::StrokeEllipse(float cx, float cy, float rx, float ry, float width, Colour colour) {
    const float irx = std::max(0.01f, rx - width), iry = std::max(0.01f, ry - width);
    FillShape(cx - rx, cy - ry, cx + rx, cy + ry, colour, [=](float px, float py) {
        const float dx = (px - cx) / rx, dy = (py - cy) / ry;
        const float ix = (px - cx) / irx, iy = (py - cy) / iry;
        return dx * dx + dy * dy <= 1.0f && ix * ix + iy * iy > 1.0f;
    });
}

void DemoCanvas::FillPolygon(const std::vector<float>& xy, Colour colour) {
    if (xy.size() < 6) return;
    float x0 = xy[0], x1 = xy[0], y0 = xy[1], y1 = xy[1];
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]);
        x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]);
        y1 = std::max(y1, xy[i + 1]);
    }
    FillShape(x0, y0, x1, y1, colour, [&xy](float px, float py) {
        bool inside = false;
        const size_t count = xy.size() / 2;
        for (size_t i = 0, j = count - 1; i < count; j = i++) {
            const float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    });
}

void DemoCanvas::DrawLine(float x0, float y0, float x1, float y1, float width, Colour colour) {
    const float half = width / 2.0f;
    const float dx = x1 - x0, dy = y1 - y0;
    const float lengthSquared = dx * dx + dy * dy;
    FillShape(std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half,
              std::max(y0, y1) + half, colour, [=](float px, float py) {
                  float t = lengthSquared > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / lengthSquared : 0.0f;
                  t = Clamp01(t);
                  const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
                  return ex * ex + ey * ey <= half * half;
              });
}

float DemoCanvas::TextWidth(const char* text, float scale) {
    const size_t length = std::strlen(text);
    return length ? (float(length) * 6.0f - 1.0f) * scale : 0.0f;
}

void DemoCanvas::DrawText(float x, float y, const char* text, float scale, Colour colour) {
    for (const char* c = text; *c; ++c, x += 6.0f * scale) {
        const Glyph* glyph = FindGlyph(*c);
        if (!glyph) continue;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (glyph->rows[row][column] == '#')
                    FillRoundedRect(x + column * scale, y + row * scale, scale, scale, scale * 0.3f, colour);
    }
}

void DemoCanvas::DrawTextCentred(float cx, float y, const char* text, float scale, Colour colour) {
    DrawText(cx - TextWidth(text, scale) / 2.0f, y, text, scale, colour);
}

void DemoCanvas::CopyToImage(VFoundation::VImage& image) const {
    if (!image.CreateBitmap(m_width, m_height, 32)) return;
    // An opaque picture is kept without alpha, so that it is written as a plain 24-bit file with its
    // colours exact.
    const bool opaque =
        std::all_of(m_pixels.begin(), m_pixels.end(), [](const Colour& p) { return p.a >= 1.0f; });
    uint8_t* bits = image.GetMutableBits();
    for (int y = 0; y < m_height; ++y) {
        // VImage rows run bottom-up.
        uint8_t* out = bits + size_t(m_height - 1 - y) * size_t(image.GetStride());
        for (int x = 0; x < m_width; ++x, out += 4) {
            const Colour& pixel = m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
            const uint8_t alpha = ToByte(pixel.a);
            if (opaque) {
                out[0] = ToByte(pixel.b);
                out[1] = ToByte(pixel.g);
                out[2] = ToByte(pixel.r);
                out[3] = 0;
                continue;
            }
            out[0] = uint8_t((ToByte(pixel.b) * alpha) >> 8);
            out[1] = uint8_t((ToByte(pixel.g) * alpha) >> 8);
            out[2] = uint8_t((ToByte(pixel.r) * alpha) >> 8);
            out[3] = alpha;
        }
    }
    image.SetHasAlpha(!opaque);
    image.BitsChanged();
}

bool DemoCanvas::WriteTarga(const char* path) const {
    VFoundation::VImage image;
    CopyToImage(image);
    return VFoundation::VImageIOTarga::WriteToFile(image, path);
}
