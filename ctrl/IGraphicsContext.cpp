#include "ctrl/IGraphicsContext.h"

#include "foundation/VImage.h"

namespace VCtrl {

void IGraphicsContext::DrawImage(const VFoundation::VImage* image, const VPoint& destPoint,
                                 const VSize& destSize, const VPoint& srcPoint, const VSize& srcSize) {
    if (image && image->HasAlpha())
        DrawImageAlpha(image, destPoint.x, destPoint.y, destSize.width, destSize.height, srcPoint.x,
                       srcPoint.y, srcSize.width, srcSize.height, 1.0);
    else
        DrawImage(image, destPoint.x, destPoint.y, destSize.width, destSize.height, srcPoint.x, srcPoint.y,
                  srcSize.width, srcSize.height);
}

void IGraphicsContext::DrawImage(const VFoundation::VImage* image, int x, int y) {
    if (!image) return;
    const int w = image->GetWidth(), h = image->GetHeight();
    DrawImage(image, x, y, w, h, 0, 0, w, h);
}

void IGraphicsContext::DrawImage(const VFoundation::VImage* image, const VPoint& point) {
    DrawImage(image, point.x, point.y);
}

void IGraphicsContext::DrawImage(const VFoundation::VImage* image) {
    DrawImage(image, 0, 0);
}

void IGraphicsContext::DrawImageTransparent(const VFoundation::VImage* image, const VPoint& point,
                                            const VSize& size, const VPoint& srcPoint, const VColour& key) {
    DrawImageTransparent(image, point.x, point.y, size.width, size.height, srcPoint.x, srcPoint.y, key);
}

void IGraphicsContext::DrawImageAlpha(const VFoundation::VImage* image, const VPoint& point,
                                      const VSize& size, const VPoint& srcPoint, const VSize& srcSize,
                                      double opacity) {
    DrawImageAlpha(image, point.x, point.y, size.width, size.height, srcPoint.x, srcPoint.y, srcSize.width,
                   srcSize.height, opacity);
}

void IGraphicsContext::DrawLine(const VPoint& point1, const VPoint& point2, const VColour& colour,
                                int dashStyle, double width) {
    DrawLine(point1.x, point1.y, point2.x, point2.y, colour, dashStyle, width);
}

} // namespace VCtrl
