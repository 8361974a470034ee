#include "ctrl/DefaultWindowIcon.h"

#include <gtest/gtest.h>

using namespace VCtrl;

namespace {

// The icon must read as a blue square with a white letter at both sizes the systems ask for, with the
// corners left see-through.
TEST(DefaultWindowIcon, IsABlueRoundedSquareWithAWhiteLetterAtEverySize) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        VFoundation::VRef<OffscreenGraphicsContext> icon = MakeDefaultWindowIcon(size);
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->GetTargetWidth(), size);
        auto at = [size](double grid) { return int(grid * size / 48.0); };
        EXPECT_EQ(icon->GetTargetPixel(0, 0) >> 24, 0u);
        EXPECT_EQ(icon->GetTargetPixel(size - 1, size - 1) >> 24, 0u);
        EXPECT_EQ(icon->GetTargetPixel(at(40), at(24)), 0xFF0054A6u);
        EXPECT_EQ(icon->GetTargetPixel(at(16), at(24)), 0xFFFFFFFFu);
    }
    EXPECT_FALSE(MakeDefaultWindowIcon(0));
}

} // namespace
