#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class CInstallLog;
class CInstallScript;

// The record of installed products in the settings store, one key per product below the key the native
// registry lists installed programs under. An installation records itself when its log is set up; a
// complete uninstall removes the record again.
class CInstalledProducts {
public:
    static constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    // Emptied keys are deleted up to these first levels of a key path (Software\<Vendor>), never those.
    static constexpr size_t kKeptKeyLevels = 2;

    struct Product {
        std::string name; // the record's key name
        std::map<std::string, std::string> values;
        // The value, or "" when it is missing.
        std::string Get(const char* valueName) const;
    };

    // Records the script's product (its expanded APPLICATION_NAME) with the log's file paths: DisplayName,
    // DisplayVersion, Publisher, URLInfoAbout, InstallLocation, UninstallScript, InstallLog, InstallDate
    // (YYYYMMDD) and UninstallString. Values whose global setting is missing are left out (and deleted
    // from an earlier record).
    static void Record(const CInstallScript& script, const CInstallLog& log, const std::string& logFolder);

    // Every recorded product, sorted by name without regard to case.
    static std::vector<Product> List();
    // The product recorded under name, compared without regard to case.
    static bool Find(const char* name, Product& out);
    // Prints one line per product: name, version, publisher and uninstall script, tab-separated.
    static void Print(FILE* out);
    // Removes the record of name when it names scriptPath as its uninstall script (or names none), so that
    // the uninstall of an older copy never removes the record of another.
    static bool Remove(const std::string& name, const std::string& scriptPath);

    // Deletes keyPath when it is empty (no values, no subkeys), then its parent when that is left empty,
    // and so on, keeping the first keptLevels levels of the path.
    static void DeleteEmptyKeys(const std::string& keyPath, size_t keptLevels = kKeptKeyLevels);
};
