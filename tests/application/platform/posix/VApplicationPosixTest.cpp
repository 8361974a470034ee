#include "application/VApplication.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace VApplication;
using VFoundation::VString;

namespace {

TEST(ApplicationNames, ModuleGivesPathFileAndDefaultNamesUntilTheEntrySetsThem) {
    const VString running = GetModulePath();
    EXPECT_STREQ(GetModuleFileName().GetText(), "application_tests");
    EXPECT_TRUE(std::filesystem::equivalent(running.GetText(), "/proc/self/exe"));

    SetModulePath("/media/cdrom/Setup.1.5.exe");
    SetNames("Product", "Maker");
    SetModulePath("/media/cdrom/Setup.1.5.exe");
    EXPECT_STREQ(GetModulePath().GetText(), "/media/cdrom/Setup.1.5.exe");
    EXPECT_STREQ(GetModuleFileName().GetText(), "Setup.1.5.exe");
    EXPECT_STREQ(GetApplicationName().GetText(), "Setup.1.5");
    EXPECT_STREQ(GetDeveloperName().GetText(), "Kestrawin");

    SetNames("KIS", nullptr);
    EXPECT_STREQ(GetApplicationName().GetText(), "KIS");
    EXPECT_STREQ(GetDeveloperName().GetText(), "Kestrawin");

    SetModulePath(running.GetText());
}

} // namespace
