#pragma once

#include "ctrl/IGraphicsContext.h"
#include "ctrl/VColour.h"
#include "ctrl/VGeometry.h"

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
