#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

namespace {

class FoundationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { VFoundation::InitializeLibrary(); }
    void TearDown() override { VFoundation::UninitilizeLibrary(true); }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new FoundationEnvironment);
    return RUN_ALL_TESTS();
}
