#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/VCtrl.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr const char* kSuite = "ui";

// The libraries start in the program's order and stop in the reverse one; the controls run on the
// headless backend, with this thread as the user-interface thread.
class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        VFoundation::InitializeLibrary();
        VApplication::InitializeLibrary();
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>());
        // Installations record their product in the settings store: never in the machine's own.
        m_store = std::filesystem::temp_directory_path() /
                  ("kis-" + std::string(kSuite) + "-tests-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(m_store);
        VApplication::VRegistry::SetStoreLocation((m_store / "registry.db").string().c_str());
        VCtrl::InitializeLibrary();
    }
    void TearDown() override {
        VCtrl::UninitializeLibrary();
        VApplication::UninitializeLibrary();
        VFoundation::UninitilizeLibrary(true);
        std::error_code ignored;
        std::filesystem::remove_all(m_store, ignored);
    }

private:
    std::filesystem::path m_store;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new UiEnvironment);
    return RUN_ALL_TESTS();
}
