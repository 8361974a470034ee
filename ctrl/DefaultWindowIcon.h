#pragma once

#include "ctrl/OffscreenGraphicsContext.h"
#include "foundation/VRef.h"

namespace VCtrl {

// The icon of a captioned window that names none of its own, so that the window is told apart in task
// bars and switchers: a blue rounded square with a white "K", drawn at size x size pixels on a bitmap of
// the build's drawing library (the window backends turn it into their system's icon). Nullptr when the
// bitmap cannot be made.
VFoundation::VRef<OffscreenGraphicsContext> MakeDefaultWindowIcon(int size);

} // namespace VCtrl
