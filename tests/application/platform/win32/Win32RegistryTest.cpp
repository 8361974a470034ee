#include "application/ApplicationPlatform.h"
#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <windows.h>
// The system header renames GetModuleFileName to its ANSI form.
#undef GetModuleFileName

#include <random>
#include <string>

// The settings store on Windows is the system registry: values written through VRegistry are REG_SZ
// values that the registry calls read back, below the key that the store location names.
namespace {

using VApplication::VRegistry;
using VFoundation::MakeRef;

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = VRegistry::GetStoreLocation();
        m_scratch = "Software\\KIS Tests\\" + std::to_string(std::random_device()());
        VRegistry::SetStoreLocation(("HKEY_LOCAL_MACHINE\\" + m_scratch).c_str());
    }
    void TearDown() override {
        VRegistry::SetStoreLocation(m_previous.c_str());
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_scratch.c_str());
    }

    // The value as the registry itself has it; "(none)" when it cannot be read as a string.
    std::string ReadNatively(const std::string& key, const char* name) {
        HKEY handle = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (m_scratch + "\\" + key).c_str(), 0, KEY_QUERY_VALUE,
                            &handle) != ERROR_SUCCESS)
            return "(none)";
        char buffer[512] = {};
        DWORD size = sizeof buffer - 1, type = 0;
        const LSTATUS status =
            ::RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        ::RegCloseKey(handle);
        return status == ERROR_SUCCESS && type == REG_SZ ? std::string(buffer) : "(none)";
    }

    std::string m_scratch;
    std::string m_previous;
};

TEST_F(Win32RegistryTest, ValuesRoundTripThroughTheSystemRegistry) {
    MakeRef<VRegistry>("Software/Northwind Audio\\Aurora Drums")
        ->SetString("InstallPath", "C:\\Program Files\\AD");
    EXPECT_EQ(ReadNatively("Software\\Northwind Audio\\Aurora Drums", "InstallPath"),
              "C:\\Program Files\\AD");
    EXPECT_STREQ(MakeRef<VRegistry>("SOFTWARE\\northwind audio\\AURORA DRUMS")
                     ->GetStringByValue("installpath", "NULL")
                     .GetText(),
                 "C:\\Program Files\\AD");

    // A value of 260 bytes with its terminator is the longest the read takes.
    const std::string longest(VRegistry::kReadLimit - 1, 'x');
    MakeRef<VRegistry>("Software\\Long")->SetString("Fits", longest.c_str());
    MakeRef<VRegistry>("Software\\Long")->SetString("TooLong", (longest + "x").c_str());
    EXPECT_EQ(std::string(MakeRef<VRegistry>("Software\\Long")->GetStringByValue("Fits", "NULL").GetText()),
              longest);
    EXPECT_STREQ(MakeRef<VRegistry>("Software\\Long")->GetStringByValue("TooLong", "NULL").GetText(), "NULL");
    EXPECT_EQ(ReadNatively("Software\\Long", "TooLong"), longest + "x");
}

TEST_F(Win32RegistryTest, DeletesOnlyASubkeyWithoutSubkeys) {
    MakeRef<VRegistry>("Software\\Product\\Inner\\Deeper")->SetString("Value", "1");
    auto product = MakeRef<VRegistry>("Software\\Product");
    EXPECT_FALSE(product->DeleteSubkey("Inner"));
    EXPECT_EQ(ReadNatively("Software\\Product\\Inner\\Deeper", "Value"), "1");
    EXPECT_TRUE(product->DeleteSubkey("Inner\\Deeper"));
    EXPECT_TRUE(product->DeleteSubkey("Inner"));
    EXPECT_FALSE(product->DeleteSubkey("Inner"));
    EXPECT_EQ(ReadNatively("Software\\Product\\Inner\\Deeper", "Value"), "(none)");
}

TEST(Win32Application, StoreIsTheLocalMachineHiveAndTheModuleIsTheProgramFile) {
    EXPECT_EQ(VApplication::Platform::GetDefaultRegistryPath(), "HKEY_LOCAL_MACHINE");
    const std::string module = VApplication::GetModulePath().GetText();
    ASSERT_GT(module.size(), 3u);
    EXPECT_EQ(module.substr(1, 2), ":\\");
    EXPECT_STREQ(VApplication::GetModuleFileName().GetText(), "application_tests.exe");
}

} // namespace
