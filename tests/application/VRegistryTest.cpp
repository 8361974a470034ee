#include "application/VRegistry.h"
#include "application/VApplication.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"
#include "tests/application/RegistryTestSupport.h"

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

using namespace KisTest;

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

TEST_F(RegistryTest, TwoThreadsWritingAtOnceLoseNothing) {
    constexpr int kCount = 40;
    std::thread first(WriteValues, "first", kCount);
    std::thread second(WriteValues, "second", kCount);
    first.join();
    second.join();
    EXPECT_EQ(CountValues("first", kCount), kCount);
    EXPECT_EQ(CountValues("second", kCount), kCount);
}

} // namespace
