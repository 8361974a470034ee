#include "application/VApplication.h"
#include "support/LogCapture.h"
#include "tests/application/RegistryTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>

// The settings store as an SQLite database file.
namespace {

using namespace KisTest;

TEST_F(RegistryTest, StoresAndReadsBackValuesCreatingTheStoreAndItsFolder) {
    EXPECT_STREQ(MakeRef<VRegistry>("Software")->GetClassName(), "VRegistry");
    EXPECT_FALSE(std::filesystem::exists(m_store));
    Write("Software\\Kestrawin\\ZDR", "DataFolder", "/opt/zdr");
    EXPECT_TRUE(std::filesystem::exists(m_store));
    EXPECT_EQ(Read("Software\\Kestrawin\\ZDR", "DataFolder"), "/opt/zdr");

    Write("Software\\Kestrawin\\ZDR", "DataFolder", "/srv/zdr");
    EXPECT_EQ(Read("Software\\Kestrawin\\ZDR", "DataFolder"), "/srv/zdr");
    Write("Software\\Kestrawin\\ZDR", "Other", "1");
    EXPECT_EQ(Read("Software\\Kestrawin\\ZDR", "DataFolder"), "/srv/zdr");

    VString out("stale");
    MakeRef<VRegistry>("Software\\Kestrawin\\ZDR")->GetString("Other", "NULL", out);
    EXPECT_STREQ(out.GetText(), "1");
}

TEST_F(RegistryTest, UnusableStoreFallsBackAndLogsWhy) {
    std::filesystem::create_directories(m_folder);
    std::ofstream(m_folder / "file") << "not a folder";
    const std::string blocked = (m_folder / "file" / "registry.db").string();
    VRegistry::SetStoreLocation(blocked.c_str());

    KisTest::LogCapture log;
    Write("Software\\X", "Value", "1");
    EXPECT_TRUE(log.Contains("VRegistry: cannot open the settings store")) << log.Text();
    EXPECT_EQ(Read("Software\\X", "Value", "fallback"), "fallback");
}

// The other half of the two-process test: run by TwoProcessesWritingAtOnceLoseNothing in a child process.
TEST(RegistryChild, DISABLED_WritesValues) {
    const char* prefix = std::getenv(kChildEnvironment);
    ASSERT_TRUE(prefix && *prefix);
    WriteValues(prefix, std::atoi(std::getenv("KIS_REGISTRY_TEST_COUNT")));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kCount = 40;
    const std::string program = VApplication::GetModulePath().GetText();
    ASSERT_FALSE(program.empty());
    std::filesystem::create_directories(m_folder);
    const std::string childLog = (m_folder / "child.log").string();
    auto runChild = [&](const std::string& prefix) {
        const std::string command = "KIS_REGISTRY='" + m_store + "' " + kChildEnvironment + "=" + prefix +
                                    " KIS_REGISTRY_TEST_COUNT=" + std::to_string(kCount) + " '" + program +
                                    "' --gtest_also_run_disabled_tests --gtest_filter=RegistryChild.* > '" +
                                    childLog + "' 2>&1";
        return std::system(command.c_str());
    };
    auto child = std::async(std::launch::async, runChild, std::string("child"));
    // Start once the child is writing, so the two really write at the same time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (CountValues("child", 1) == 0 && std::chrono::steady_clock::now() < deadline &&
           child.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    }
    WriteValues("parent", kCount);
    EXPECT_EQ(child.get(), 0) << std::ifstream(childLog).rdbuf();
    EXPECT_EQ(CountValues("child", kCount), kCount);
    EXPECT_EQ(CountValues("parent", kCount), kCount);
}

} // namespace
