#include "ctrl/CtrlDrawing.h"

#include "foundation/VImage.h"

#include <algorithm>
#include <cstdlib>

namespace VCtrl::CtrlDrawing {

namespace {

// Perceived brightness, 0 to 255 (ITU-R BT.601 weights).
int Luminance(const VColour& colour) {
    return (colour.GetRed() * 299 + colour.GetGreen() * 587 + colour.GetBlue() * 114) / 1000;
}

} // namespace

VColour ReadableTextColour(const VColour& text, const VColour& background) {
    // Only a fill that is actually drawn can hide the text.
    if (background.GetAlpha() == 0) return text;
    constexpr int kMinimumDifference = 64;
    if (std::abs(Luminance(text) - Luminance(background)) >= kMinimumDifference) return text;
    return Luminance(background) < 128 ? VColour(255, 255, 255) : VColour(0, 0, 0);
}

void DrawAlignedText(IGraphicsContext& context, const VRect& rect, const char* text, const VColour& colour,
                     Align align, int offset, VFoundation::VObject* font) {
    if (!text || !*text || rect.IsEmpty()) return;
    context.SaveState();
    if (font) context.SetFont(font);
    int x = offset;
    if (align != Align::kLeft) {
        VSize size;
        context.MeasureText(text, size);
        const int room = rect.width - size.width;
        x += align == Align::kCentre ? room / 2 : room;
    }
    context.DrawTextInRect(x, 0, text, colour, rect);
    context.RestoreState();
}

void DrawImageInRect(IGraphicsContext& context, const VFoundation::VImage* image, const VRect& rect,
                     bool smartTile, double opacity) {
    if (!image || !image->HasBitmap() || rect.IsEmpty()) return;
    const int width = image->GetWidth(), height = image->GetHeight();
    auto draw = [&](int x, int w, int sx, int sw) {
        if (w <= 0 || sw <= 0) return;
        if (opacity < 1.0 || image->HasAlpha())
            context.DrawImageAlpha(image, x, rect.y, w, rect.height, sx, 0, sw, height, opacity);
        else
            context.DrawImage(image, x, rect.y, w, rect.height, sx, 0, sw, height);
    };
    if (!smartTile || width < 3 || rect.width == width) {
        draw(rect.x, rect.width, 0, width);
        return;
    }
    const int end = width / 3;
    const int middle = width - 2 * end;
    const int ends = std::min(end, rect.width / 2);
    draw(rect.x, ends, 0, ends);
    draw(rect.x + rect.width - ends, ends, width - ends, ends);
    context.SaveState();
    context.ClipRect(rect.x + ends, rect.y, rect.width - 2 * ends, rect.height);
    for (int x = rect.x + ends; x < rect.x + rect.width - ends; x += middle)
        draw(x, middle, end, middle);
    context.RestoreState();
}

void TileImage(IGraphicsContext& context, const VFoundation::VImage* image, const VRect& rect) {
    if (!image || !image->HasBitmap() || rect.IsEmpty()) return;
    const int width = image->GetWidth(), height = image->GetHeight();
    context.SaveState();
    context.ClipRect(rect.x, rect.y, rect.width, rect.height);
    for (int y = rect.y; y < rect.y + rect.height; y += height)
        for (int x = rect.x; x < rect.x + rect.width; x += width)
            context.DrawImage(image, x, y);
    context.RestoreState();
}

void DrawCheckMark(IGraphicsContext& context, const VRect& box, const VColour& colour) {
    if (box.width < 5 || box.height < 5) return;
    const VPointReal points[3] = {
        {box.x + box.width * 0.2, box.y + box.height * 0.5},
        {box.x + box.width * 0.42, box.y + box.height * 0.75},
        {box.x + box.width * 0.8, box.y + box.height * 0.25},
    };
    context.DrawLines(points, 3, colour, IGraphicsContext::kDashSolid, std::max(1.5, box.width / 7.0));
}

} // namespace VCtrl::CtrlDrawing
