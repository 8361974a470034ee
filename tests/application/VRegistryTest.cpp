#include "application/VRegistry.h"
#include "application/VApplication.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using VApplication::VRegistry;
using VFoundation::MakeRef;
using VFoundation::VString;

namespace {

constexpr const char* kChildEnvironment = "KIS_REGISTRY_TEST_WRITER";

// Writes count values "<prefix>-<i>" = "<i>", each through a registry of its own as the install
// instructions do, spread over five subkeys that every writer creates, so writers also race on making
// the same keys.
std::string SharedKey(int i) {
    return "Software\\Kestrawin\\Shared/Sub" + std::to_string(i % 5);
}

void WriteValues(const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + "-" + std::to_string(i);
        MakeRef<VRegistry>(SharedKey(i).c_str())->SetString(name.c_str(), std::to_string(i).c_str());
    }
}

int CountValues(const std::string& prefix, int count) {
    int found = 0;
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + "-" + std::to_string(i);
        VString value = MakeRef<VRegistry>(SharedKey(i).c_str())->GetStringByValue(name.c_str(), "NULL");
        if (value == std::to_string(i).c_str()) ++found;
    }
    return found;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = VRegistry::GetStoreLocation();
        m_folder = std::filesystem::temp_directory_path() /
                   ("kis-registry-" + std::to_string(std::random_device()()));
        m_store = (m_folder / "store" / "registry.db").string();
        VRegistry::SetStoreLocation(m_store.c_str());
    }
    void TearDown() override {
        VRegistry::SetStoreLocation(m_previous.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::string Read(const char* key, const char* name, const char* fallback = "NULL") {
        return MakeRef<VRegistry>(key)->GetStringByValue(name, fallback).GetText();
    }
    void Write(const char* key, const char* name, const char* text) {
        MakeRef<VRegistry>(key)->SetString(name, text);
    }

    std::filesystem::path m_folder;
    std::string m_store;
    std::string m_previous;
};

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

TEST_F(RegistryTest, MatchesKeysAndNamesWithoutCaseAndWithEitherSeparator) {
    Write("Software\\Vst", "VstPluginsPath", "/usr/lib/vst");
    EXPECT_EQ(Read("SOFTWARE\\vst", "vstpluginspath"), "/usr/lib/vst");
    EXPECT_EQ(Read("software/VST", "VSTPLUGINSPATH"), "/usr/lib/vst");
    EXPECT_EQ(Read("/Software//Vst/", "VstPluginsPath"), "/usr/lib/vst");

    // A write under another spelling replaces the value rather than adding a second one.
    Write("software/vst", "VSTPLUGINSPATH", "/opt/vst");
    EXPECT_EQ(Read("Software\\Vst", "VstPluginsPath"), "/opt/vst");
    EXPECT_EQ(VRegistry::NormaliseKeyPath("/a//b\\c/"), "a\\b\\c");
}

TEST_F(RegistryTest, ReadsValuesUpToTheReadLimitAndTheDefaultBeyondIt) {
    // The read takes 260 bytes with the terminator: 259 characters fit, 260 do not.
    const std::string fits(VRegistry::kReadLimit - 1, 'a');
    const std::string tooLong(VRegistry::kReadLimit, 'b');
    Write("Software\\Limits", "Fits", fits.c_str());
    Write("Software\\Limits", "TooLong", tooLong.c_str());
    EXPECT_EQ(Read("Software\\Limits", "Fits"), fits);
    EXPECT_EQ(Read("Software\\Limits", "TooLong", "default"), "default");
}

TEST_F(RegistryTest, EmptyTextStoresAnEmptyValueAndMissingArgumentsStoreNothing) {
    Write("Software\\Values", "Empty", "");
    EXPECT_EQ(Read("Software\\Values", "Empty", "default"), "");

    Write("Software\\Values", "Missing", nullptr);
    EXPECT_EQ(Read("Software\\Values", "Missing", "default"), "default");
    Write("Software\\Values2", nullptr, "text");
    EXPECT_EQ(Read("Software\\Values2", "", "default"), "default");

    // A missing name reads the key's unnamed value.
    Write("Software\\Values", "", "unnamed");
    EXPECT_EQ(Read("Software\\Values", nullptr, "default"), "unnamed");
}

TEST_F(RegistryTest, MissingStoreKeyOrValueReadsAsTheDefaultWithoutMakingTheStore) {
    EXPECT_EQ(Read("Software\\Nothing", "Value", "fallback"), "fallback");
    EXPECT_FALSE(std::filesystem::exists(m_store));
    EXPECT_FALSE(MakeRef<VRegistry>("Software")->DeleteSubkey("Nothing"));
    EXPECT_FALSE(std::filesystem::exists(m_store));

    Write("Software\\Something", "Value", "x");
    EXPECT_EQ(Read("Software\\Nothing", "Value", "fallback"), "fallback");
    EXPECT_EQ(Read("Software\\Something", "Other", "fallback"), "fallback");
    EXPECT_EQ(Read("Software\\Something", "Value", nullptr), "x");
    EXPECT_EQ(Read("Software\\Something", "Other", nullptr), "");
}

TEST_F(RegistryTest, DeletesASubkeyOnlyWhenItHasNoSubkeysOfItsOwn) {
    Write("Software\\Kestrawin\\App", "Location", "/opt/app");
    Write("Software\\Kestrawin\\Apple\\Deeper", "Value", "1");
    Write("Software\\Kestrawin\\Tree\\Leaf", "Value", "2");

    auto vendor = MakeRef<VRegistry>("Software/Kestrawin");
    // "Apple" shares the first letters of "App" but is no subkey of it.
    EXPECT_TRUE(vendor->DeleteSubkey("APP"));
    EXPECT_EQ(Read("Software\\Kestrawin\\App", "Location"), "NULL");
    EXPECT_FALSE(vendor->DeleteSubkey("App"));
    EXPECT_EQ(Read("Software\\Kestrawin\\Apple\\Deeper", "Value"), "1");

    EXPECT_FALSE(vendor->DeleteSubkey("Tree"));
    EXPECT_EQ(Read("Software\\Kestrawin\\Tree\\Leaf", "Value"), "2");
    EXPECT_TRUE(vendor->DeleteSubkey("Tree\\Leaf"));
    EXPECT_TRUE(vendor->DeleteSubkey("Tree"));
    EXPECT_EQ(Read("Software\\Kestrawin\\Tree\\Leaf", "Value"), "NULL");

    EXPECT_FALSE(vendor->DeleteSubkey(nullptr));
    EXPECT_FALSE(vendor->DeleteSubkey(""));
    EXPECT_FALSE(vendor->DeleteSubkey("/"));
    EXPECT_FALSE(MakeRef<VRegistry>("Software\\Nobody")->DeleteSubkey("Apple"));
    // The key itself and its other subkeys are untouched.
    EXPECT_EQ(Read("Software\\Kestrawin\\Apple\\Deeper", "Value"), "1");

    // A deleted key comes back empty when written again.
    Write("Software\\Kestrawin\\App", "Other", "y");
    EXPECT_EQ(Read("Software\\Kestrawin\\App", "Location"), "NULL");
}

TEST_F(RegistryTest, ListsOnlyDirectSubkeysAndDeletesSingleValues) {
    Write("Software\\Kestrawin\\App", "Location", "/opt/app, with a comma");
    Write("Software\\Kestrawin\\App", "Version", "2");
    Write("Software\\Kestrawin\\Apple\\Deeper", "Value", "1");
    Write("Software\\Other", "Value", "3");

    std::vector<std::string> subkeys;
    std::vector<std::pair<std::string, std::string>> values;
    EXPECT_EQ(MakeRef<VRegistry>("software/KESTRAWIN")->ListKey(subkeys, values), VRegistry::Outcome::Done);
    EXPECT_EQ(subkeys, (std::vector<std::string>{"App", "Apple"}));
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(MakeRef<VRegistry>("")->ListKey(subkeys, values), VRegistry::Outcome::Done);
    EXPECT_EQ(subkeys, (std::vector<std::string>{"Software"}));
    auto app = MakeRef<VRegistry>("Software\\Kestrawin\\App");
    EXPECT_EQ(app->ListKey(subkeys, values), VRegistry::Outcome::Done);
    EXPECT_TRUE(subkeys.empty());
    EXPECT_EQ(values, (std::vector<std::pair<std::string, std::string>>{
                          {"Location", "/opt/app, with a comma"}, {"Version", "2"}}));

    EXPECT_EQ(app->DeleteValue("LOCATION"), VRegistry::Outcome::Done);
    EXPECT_EQ(app->DeleteValue("Location"), VRegistry::Outcome::Missing);
    EXPECT_EQ(Read("Software\\Kestrawin\\App", "Version"), "2");
    EXPECT_EQ(MakeRef<VRegistry>("Software\\Nobody")->DeleteValue("Version"), VRegistry::Outcome::Missing);
    EXPECT_EQ(MakeRef<VRegistry>("Software\\Nobody")->ListKey(subkeys, values), VRegistry::Outcome::Missing);
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

TEST_F(RegistryTest, TwoThreadsWritingAtOnceLoseNothing) {
    constexpr int kCount = 40;
    std::thread first(WriteValues, "first", kCount);
    std::thread second(WriteValues, "second", kCount);
    first.join();
    second.join();
    EXPECT_EQ(CountValues("first", kCount), kCount);
    EXPECT_EQ(CountValues("second", kCount), kCount);
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
