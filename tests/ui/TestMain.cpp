#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/VCtrl.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The libraries start in the program's order and stop in the reverse one; the controls run on the
// headless backend, with this thread as the user-interface thread.
class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        VFoundation::InitializeLibrary();
        VApplication::InitializeLibrary();
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>());
        VCtrl::InitializeLibrary();
    }
    void TearDown() override {
        VCtrl::UninitializeLibrary();
        VApplication::UninitializeLibrary();
        VFoundation::UninitilizeLibrary(true);
    }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new UiEnvironment);
    return RUN_ALL_TESTS();
}
