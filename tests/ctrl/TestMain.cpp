#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

namespace {

class CtrlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { VFoundation::InitializeLibrary(); }
    void TearDown() override { VFoundation::UninitilizeLibrary(true); }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CtrlEnvironment);
    return RUN_ALL_TESTS();
}
