#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        VFoundation::InitializeLibrary();
        VApplication::InitializeLibrary();
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>());
    }
    void TearDown() override {
        VApplication::UninitializeLibrary();
        VFoundation::UninitilizeLibrary(true);
    }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new EngineEnvironment);
    return RUN_ALL_TESTS();
}
