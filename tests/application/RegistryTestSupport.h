#pragma once

#include "application/VRegistry.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

// The settings store tests' fixture: every test has a store of its own, named by a fresh temporary path
// (a database file on POSIX, a scratch key on Windows).
namespace KisTest {

using VApplication::VRegistry;
using VFoundation::MakeRef;
using VFoundation::VString;

inline constexpr const char* kChildEnvironment = "KIS_REGISTRY_TEST_WRITER";

// Writes count values "<prefix>-<i>" = "<i>", each through a registry of its own as the install
// instructions do, spread over five subkeys that every writer creates, so writers also race on making
// the same keys.
inline std::string SharedKey(int i) {
    return "Software\\Kestrawin\\Shared/Sub" + std::to_string(i % 5);
}

inline void WriteValues(const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + "-" + std::to_string(i);
        MakeRef<VRegistry>(SharedKey(i).c_str())->SetString(name.c_str(), std::to_string(i).c_str());
    }
}

inline int CountValues(const std::string& prefix, int count) {
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

} // namespace KisTest
