#pragma once

#include "ctrl/IGraphicsContext.h"
#include "ctrl/VColour.h"
#include "ctrl/VGeometry.h"

#include "foundation/VString.h"

#include <vector>

namespace VFoundation {
class VImage;
class VObject;
} // namespace VFoundation

namespace VCtrl {

// Drawing steps that several controls share. Every function draws through the context only, in the
// coordinates of the control being drawn.
namespace CtrlDrawing {

enum class Align { kLeft, kCentre, kRight };

// The colour that text in `text` would have over `background`, unless the two are too alike to read
// (a style whose text and fill colours are both black): then black or white, whichever stands out.
VColour ReadableTextColour(const VColour& text, const VColour& background);

// One line of text in rect, clipped to it and centred vertically; horizontally aligned as asked and moved
// right by offset. The font is the one selected in the context (font none: the default).
void DrawAlignedText(IGraphicsContext& context, const VRect& rect, const char* text, const VColour& colour,
                     Align align, int offset = 0, VFoundation::VObject* font = nullptr);

// Text that is wider than width (as the context measures it with its current font) shortened to fit:
// the end replaced by "...", or with middle the middle (for paths, whose both ends matter). Text that fits
// comes back unchanged.
VFoundation::VString FitText(IGraphicsContext& context, const char* text, int width, bool middle = false);

// Text broken into lines of at most width at blanks (a word wider than width is cut where it must be);
// line feeds in text end lines too. At least one line, empty for empty text.
std::vector<VFoundation::VString> WrapText(IGraphicsContext& context, const char* text, int width);

// The whole image drawn into rect: copied when the sizes agree, else scaled; with smartTile the left and
// right thirds keep their width and the middle third is repeated (horizontally only; the height is
// scaled). opacity below 1 fades it.
void DrawImageInRect(IGraphicsContext& context, const VFoundation::VImage* image, const VRect& rect,
                     bool smartTile = false, double opacity = 1.0);

// The image repeated from rect's top left to fill rect (clipped to it).
void TileImage(IGraphicsContext& context, const VFoundation::VImage* image, const VRect& rect);

// A tick mark in the box, for check cells that have no pictures.
void DrawCheckMark(IGraphicsContext& context, const VRect& box, const VColour& colour);

} // namespace CtrlDrawing

} // namespace VCtrl
