#include "application/RegistryStore.h"

#include "foundation/VLog.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

// The settings store on Windows is the system registry. The store location names the key that plays the
// part of the root: a hive ("HKEY_LOCAL_MACHINE", the default, or "HKEY_CURRENT_USER", also in their short
// forms), optionally followed by a key path below it; a location that names no hive is a key path below
// the local-machine hive. Tests and sandboxed runs thus keep their values in a key of their own.
namespace VApplication {

namespace {

struct Hive {
    const char* name;
    const char* shortName;
    HKEY key;
};

const Hive kHives[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
};

bool NameBefore(const std::string& a, const std::string& b) {
    return ::_stricmp(a.c_str(), b.c_str()) < 0;
}

bool SamePart(const std::string& part, const char* name) {
    return part.size() == std::strlen(name) && ::_strnicmp(part.c_str(), name, part.size()) == 0;
}

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (m_key) ::RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

class Win32RegistryStore : public IRegistryStore {
public:
    explicit Win32RegistryStore(const std::string& location) {
        std::string rest = location;
        for (char& c : rest)
            if (c == '/') c = '\\';
        const size_t separator = rest.find('\\');
        const std::string first = rest.substr(0, separator);
        for (const Hive& hive : kHives) {
            if (SamePart(first, hive.name) || SamePart(first, hive.shortName)) {
                m_hive = hive.key;
                rest = separator == std::string::npos ? std::string() : rest.substr(separator + 1);
                break;
            }
        }
        // Empty parts (doubled or trailing separators) are not key names.
        std::string part;
        for (size_t i = 0; i <= rest.size(); ++i) {
            if (i < rest.size() && rest[i] != '\\') {
                part += rest[i];
                continue;
            }
            if (part.empty()) continue;
            if (!m_root.empty()) m_root += '\\';
            m_root += part;
            part.clear();
        }
    }

    Result SetValue(const std::string& keyPath, const std::string& name, const std::string& data) override {
        RegistryKey key;
        LSTATUS status = ::RegCreateKeyExA(m_hive, Full(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_SET_VALUE, nullptr, key.Out(), nullptr);
        if (status != ERROR_SUCCESS) return Fail("create the key", keyPath, status);
        status =
            ::RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1));
        if (status != ERROR_SUCCESS) return Fail("write a value of", keyPath, status);
        return Result::Done;
    }

    Result GetValue(const std::string& keyPath, const std::string& name, std::string& data) override {
        RegistryKey key;
        LSTATUS status = ::RegOpenKeyExA(m_hive, Full(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.Out());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
        if (status != ERROR_SUCCESS) return Fail("open", keyPath, status);
        // The value is read whole; the caller applies the read limit.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0, size = 0;
            status = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size);
            if (status == ERROR_FILE_NOT_FOUND) return Result::NoValue;
            if (status != ERROR_SUCCESS) return Fail("read a value of", keyPath, status);
            if (type != REG_SZ && type != REG_EXPAND_SZ) return Result::NoValue;
            std::vector<char> buffer(size + 1, 0);
            status = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(buffer.data()), &size);
            // Another writer made the value longer in between: ask again.
            if (status == ERROR_MORE_DATA) continue;
            if (status == ERROR_FILE_NOT_FOUND) return Result::NoValue;
            if (status != ERROR_SUCCESS) return Fail("read a value of", keyPath, status);
            data.assign(buffer.data(), ::strnlen(buffer.data(), size));
            return Result::Done;
        }
        return Fail("read a value of", keyPath, ERROR_MORE_DATA);
    }

    Result DeleteSubkey(const std::string& keyPath, const std::string& subkeyPath) override {
        RegistryKey key;
        LSTATUS status = ::RegOpenKeyExA(m_hive, Full(keyPath).c_str(), 0, KEY_ALL_ACCESS, key.Out());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
        if (status != ERROR_SUCCESS) return Fail("open", keyPath, status);
        {
            RegistryKey subkey;
            status = ::RegOpenKeyExA(key.Get(), subkeyPath.c_str(), 0, KEY_READ, subkey.Out());
            if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
            if (status != ERROR_SUCCESS) return Fail("open", subkeyPath, status);
            DWORD subkeys = 0;
            status = ::RegQueryInfoKeyA(subkey.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) return Fail("describe", subkeyPath, status);
            if (subkeys > 0) return Result::HasSubkeys;
        }
        status = ::RegDeleteKeyA(key.Get(), subkeyPath.c_str());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
        if (status != ERROR_SUCCESS) return Fail("delete", subkeyPath, status);
        return Result::Done;
    }

    Result DeleteValue(const std::string& keyPath, const std::string& name) override {
        RegistryKey key;
        LSTATUS status = ::RegOpenKeyExA(m_hive, Full(keyPath).c_str(), 0, KEY_SET_VALUE, key.Out());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
        if (status != ERROR_SUCCESS) return Fail("open", keyPath, status);
        status = ::RegDeleteValueA(key.Get(), name.c_str());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoValue;
        if (status != ERROR_SUCCESS) return Fail("delete a value of", keyPath, status);
        return Result::Done;
    }

    Result ListKey(const std::string& keyPath, std::vector<std::string>& subkeys,
                   std::vector<std::pair<std::string, std::string>>& values) override {
        subkeys.clear();
        values.clear();
        RegistryKey key;
        LSTATUS status = ::RegOpenKeyExA(m_hive, Full(keyPath).c_str(), 0, KEY_READ, key.Out());
        if (status == ERROR_FILE_NOT_FOUND) return Result::NoKey;
        if (status != ERROR_SUCCESS) return Fail("open", keyPath, status);
        DWORD longestSubkey = 0, longestName = 0, longestData = 0;
        status = ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, &longestSubkey, nullptr,
                                    nullptr, &longestName, &longestData, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return Fail("describe", keyPath, status);
        // Another writer may add longer names while the key is listed: the buffers then grow and the
        // entry is asked for again.
        std::vector<char> name(longestSubkey + longestName + 2);
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(name.size());
            status =
                ::RegEnumKeyExA(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_MORE_DATA) {
                name.resize(name.size() * 2);
                continue;
            }
            if (status != ERROR_SUCCESS) return Fail("list", keyPath, status);
            subkeys.emplace_back(name.data(), length);
            ++index;
        }
        std::vector<char> data(longestData + 1);
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size() - 1);
            DWORD type = 0;
            status = ::RegEnumValueA(key.Get(), index, name.data(), &length, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status == ERROR_MORE_DATA) {
                name.resize(name.size() * 2);
                data.resize(data.size() * 2);
                continue;
            }
            if (status != ERROR_SUCCESS) return Fail("list", keyPath, status);
            ++index;
            // Only string values are settings of this store, as GetValue reads them.
            if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
            data[size] = 0;
            values.emplace_back(std::string(name.data(), length),
                                std::string(data.data(), ::strnlen(data.data(), size)));
        }
        std::sort(subkeys.begin(), subkeys.end(), NameBefore);
        std::sort(values.begin(), values.end(),
                  [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
        return Result::Done;
    }

private:
    std::string Full(const std::string& keyPath) const {
        if (m_root.empty()) return keyPath;
        return keyPath.empty() ? m_root : m_root + "\\" + keyPath;
    }

    Result Fail(const char* what, const std::string& keyPath, LSTATUS status) const {
        VFoundation::LogPrintf("VRegistry: cannot %s the key \"%s\" (system error %ld)\n", what,
                               Full(keyPath).c_str(), static_cast<long>(status));
        return Result::Failed;
    }

    HKEY m_hive = HKEY_LOCAL_MACHINE;
    std::string m_root;
};

} // namespace

std::unique_ptr<IRegistryStore> OpenRegistryStore(const std::string& location) {
    return std::make_unique<Win32RegistryStore>(location);
}

} // namespace VApplication
