#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        VFoundation::InitializeLibrary();
        VApplication::InitializeLibrary();
        VApplication::SetModule();
        // Never touch the machine's own settings store: a store of this run unless the caller names one
        // (the child processes of the registry tests do).
        const char* named = std::getenv("KIS_REGISTRY");
        if (!named || !*named) {
            m_folder = std::filesystem::temp_directory_path() /
                       ("kis-application-tests-" + std::to_string(std::random_device()()));
            std::filesystem::create_directories(m_folder);
            VApplication::VRegistry::SetStoreLocation((m_folder / "registry.db").string().c_str());
        }
    }
    void TearDown() override {
        VApplication::UninitializeLibrary();
        VFoundation::UninitilizeLibrary(true);
        if (!m_folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }

private:
    std::filesystem::path m_folder;
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
    return RUN_ALL_TESTS();
}
