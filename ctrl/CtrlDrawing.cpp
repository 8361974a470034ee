#include "ctrl/CtrlDrawing.h"

#include "foundation/VImage.h"

#include <algorithm>
#include <cstdlib>
#include <string>

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

namespace {

int TextWidth(IGraphicsContext& context, const std::string& text) {
    VSize size;
    context.MeasureText(text.c_str(), size);
    return size.width;
}

} // namespace

VFoundation::VString FitText(IGraphicsContext& context, const char* text, int width, bool middle) {
    const std::string whole = text ? text : "";
    if (whole.empty() || TextWidth(context, whole) <= width) return VFoundation::VString(whole.c_str());
    static const std::string kEllipsis = "...";
    const auto shortened = [&](size_t keep) {
        if (!middle) return whole.substr(0, keep) + kEllipsis;
        const size_t head = keep / 2;
        return whole.substr(0, head) + kEllipsis + whole.substr(whole.size() - (keep - head));
    };
    // The longest cut that fits, found by halving: the width grows with the characters kept.
    size_t low = 0, high = whole.size();
    while (low < high) {
        const size_t mid = (low + high + 1) / 2;
        if (TextWidth(context, shortened(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return VFoundation::VString(shortened(low).c_str());
}

std::vector<VFoundation::VString> WrapText(IGraphicsContext& context, const char* text, int width) {
    std::vector<VFoundation::VString> lines;
    const std::string whole = text ? text : "";
    size_t start = 0;
    for (;;) {
        const size_t feed = whole.find('\n', start);
        const std::string paragraph =
            whole.substr(start, feed == std::string::npos ? std::string::npos : feed - start);
        std::string line;
        size_t position = 0;
        while (position < paragraph.size()) {
            size_t end = paragraph.find(' ', position);
            if (end == std::string::npos) end = paragraph.size();
            const std::string word = paragraph.substr(position, end - position);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (TextWidth(context, candidate) <= width) {
                line = candidate;
                position = end + 1;
            } else if (!line.empty()) {
                // The word starts the next line.
                lines.emplace_back(line.c_str());
                line.clear();
            } else {
                // A word wider than a line of its own is cut where it must be.
                size_t keep = word.size();
                while (keep > 1 && TextWidth(context, word.substr(0, keep)) > width)
                    --keep;
                lines.emplace_back(word.substr(0, keep).c_str());
                position += keep;
            }
        }
        lines.emplace_back(line.c_str());
        if (feed == std::string::npos) break;
        start = feed + 1;
    }
    return lines;
}

} // namespace VCtrl::CtrlDrawing
