#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace VApplication {

// The storage behind VRegistry: string values in a tree of keys, as the platform keeps them. Key paths
// reach a store already normalised: their parts joined by "\", without empty parts, the empty path being
// the root (which always exists). Key parts and value names compare without regard to ASCII case; a
// key or value keeps the spelling it was first created with.
//
// Each call is one transaction of its own, safe against other threads and processes using the same store
// at the same time. A store object is used by one thread at a time.
class IRegistryStore {
public:
    enum class Result {
        Done,
        // The key (or, for DeleteSubkey, the subkey) does not exist.
        NoKey,
        NoValue,
        // DeleteSubkey: the subkey has subkeys of its own.
        HasSubkeys,
        // The store could not be opened, read or written; the store has logged why.
        Failed
    };

    virtual ~IRegistryStore() = default;

    // Creates the missing keys of keyPath and stores data as the value name, replacing an earlier one.
    virtual Result SetValue(const std::string& keyPath, const std::string& name, const std::string& data) = 0;
    virtual Result GetValue(const std::string& keyPath, const std::string& name, std::string& data) = 0;
    // Deletes keyPath's subkey subkeyPath (itself a normalised path below keyPath) with its values.
    virtual Result DeleteSubkey(const std::string& keyPath, const std::string& subkeyPath) = 0;
    // Deletes one value of keyPath; NoKey or NoValue when there is nothing to delete.
    virtual Result DeleteValue(const std::string& keyPath, const std::string& name) = 0;
    // The names of keyPath's direct subkeys and its values with their data, each sorted by name.
    virtual Result ListKey(const std::string& keyPath, std::vector<std::string>& subkeys,
                           std::vector<std::pair<std::string, std::string>>& values) = 0;
};

// Opens the platform's store kept at location (a database file on POSIX). The store touches nothing until
// its first call; a reading call never creates the store.
std::unique_ptr<IRegistryStore> OpenRegistryStore(const std::string& location);

} // namespace VApplication
