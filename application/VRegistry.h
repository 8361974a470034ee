#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

#include <string>
#include <utility>
#include <vector>

namespace VApplication {

// String values of the machine-wide settings store, under one key path relative to the store's root (the
// local-machine hive of the native registry). A VRegistry holds nothing open between calls: each call is
// one transaction, so registries may be used from several threads and processes at once as long as each
// VRegistry object stays with one thread.
//
// Key path parts are separated by "\" or "/"; key parts and value names compare without regard to case.
// No operation throws: reads fall back to the default text, writes and deletes return false.
class VRegistry : public VFoundation::VObject {
    V_DECLARE_CLASS(VRegistry)
public:
    // Values longer than this, terminator included, read as the default.
    static constexpr size_t kReadLimit = 260;

    VRegistry();
    explicit VRegistry(const char* keyPath, VFoundation::VClass* record = nullptr);
    ~VRegistry() override;

    // Stores text as the value name, creating the missing keys. Does nothing when either is null; an empty
    // text stores an empty value. False when nothing was stored (a null argument, or a store that cannot be
    // opened or written).
    bool SetString(const char* valueName, const char* text);
    // out becomes the value, or defaultText when the key or value is missing, unreadable or too long. A
    // null name reads the key's default (unnamed) value.
    void GetString(const char* valueName, const char* defaultText, VFoundation::VString& out);
    VFoundation::VString GetStringByValue(const char* valueName, const char* defaultText);
    // Deletes the subkey (with its values) below the key path. False when the name is null or empty, the key
    // or subkey does not exist, or the subkey has subkeys of its own.
    bool DeleteSubkey(const char* subkeyName);
    // True when the last call could not open, read or write the store at all (a damaged or read-only
    // file, a folder in its place, a store locked past the busy time-out), as opposed to finding no key
    // or value in it.
    bool HasStoreFailed() const { return m_storeFailed; }

    // What the installed-products record and the uninstaller need beyond the script's operations. Reads
    // here have no length limit.
    enum class Outcome { Done, Missing, Failed };
    // Deletes one value of the key; Missing when the key or the value does not exist.
    Outcome DeleteValue(const char* valueName);
    // The key's direct subkeys and its values (name, data), sorted by name; Missing when the key does not
    // exist.
    Outcome ListKey(std::vector<std::string>& subkeys,
                    std::vector<std::pair<std::string, std::string>>& values);

    const VFoundation::VString& GetKeyPath() const { return m_keyPath; }

    // The store's location: the program's choice (--registry FILE) when set, else $KIS_REGISTRY, else the
    // platform's default. An empty or null path clears the program's choice.
    static void SetStoreLocation(const char* path);
    static std::string GetStoreLocation();
    // A key path in the store's form: parts joined by "\", empty parts dropped.
    static std::string NormaliseKeyPath(const char* keyPath);

private:
    VFoundation::VString m_keyPath;
    bool m_storeFailed = false;
};

} // namespace VApplication
