#pragma once

#include "foundation/VImage.h"

#include <cstdint>
#include <vector>

// A small drawing surface for the demo medium's pictures: straight-alpha RGBA pixels, top row first,
// shapes edge-smoothed by sampling each pixel 4 x 4 times. Text uses a built-in 5 x 7 capital font, so
// the pictures need no font files.
class DemoCanvas {
public:
    struct Colour {
        float r, g, b, a;
    };

    DemoCanvas(int width, int height, Colour fill = {0, 0, 0, 0});

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    // Top to bottom from one colour to the other.
    void FillVerticalGradient(Colour top, Colour bottom);
    void FillVerticalGradient(float x, float y, float w, float h, float radius, Colour top, Colour bottom);
    void FillRoundedRect(float x, float y, float w, float h, float radius, Colour colour);
    void FillEllipse(float cx, float cy, float rx, float ry, Colour colour);
    // A ring between the ellipse and the one width smaller.
    void StrokeEllipse(float cx, float cy, float rx, float ry, float width, Colour colour);
    void FillPolygon(const std::vector<float>& xy, Colour colour);
    // A line with round ends.
    void DrawLine(float x0, float y0, float x1, float y1, float width, Colour colour);
    // Capitals, digits and a few marks; lower case is drawn as capitals. scale is the size of one dot.
    void DrawText(float x, float y, const char* text, float scale, Colour colour);
    static float TextWidth(const char* text, float scale);
    void DrawTextCentred(float cx, float y, const char* text, float scale, Colour colour);

    // A 32-bit image with alpha (premultiplied, rows bottom-up, as VImage keeps them).
    void CopyToImage(VFoundation::VImage& image) const;
    // Writes a Targa file; false when it cannot be written.
    bool WriteTarga(const char* path) const;

private:
    // Blends colour over the pixel with the share of the pixel (0..1) that the shape covers.
    void Blend(int x, int y, Colour colour, float coverage);
    template <typename Inside>
    void FillShape(float x0, float y0, float x1, float y1, Colour colour, Inside inside);
    template <typename Inside, typename ColourAt>
    void FillShapeShaded(float x0, float y0, float x1, float y1, Inside inside, ColourAt colourAt);

    int m_width;
    int m_height;
    std::vector<Colour> m_pixels;
};
