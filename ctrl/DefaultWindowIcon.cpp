#include "ctrl/DefaultWindowIcon.h"

namespace VCtrl {

VFoundation::VRef<OffscreenGraphicsContext> MakeDefaultWindowIcon(int size) {
    VFoundation::VRef<OffscreenGraphicsContext> icon = MakeOffscreenGraphicsContext();
    if (!icon || !icon->CreateTarget(size, size)) return nullptr;
    // Laid out on a 48-pixel grid and scaled.
    const double scale = size / 48.0;
    auto at = [scale](double value) { return value * scale; };
    const int inset = int(at(2) + 0.5);
    icon->FillRoundedRectangle(inset, inset, size - 2 * inset, size - 2 * inset, int(at(9) + 0.5),
                               VColour(0, 84, 166, 255));
    const VColour white(255, 255, 255, 255);
    const VPointReal stem[] = {{at(16), at(11)}, {at(16), at(37)}};
    const VPointReal arms[] = {{at(34), at(11)}, {at(18), at(24)}, {at(34), at(37)}};
    icon->DrawLines(stem, 2, white, 0, at(6));
    icon->DrawLines(arms, 3, white, 0, at(6));
    icon->Flush();
    return icon;
}

} // namespace VCtrl
