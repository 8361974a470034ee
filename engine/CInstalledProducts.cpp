#include "engine/CInstalledProducts.h"

#include "application/ApplicationPlatform.h"
#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

using namespace VFoundation;
using VApplication::VRegistry;

namespace {

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// The expanded value of a script variable; false when it is not declared.
bool Expanded(const CInstallScript& script, const char* name, std::string& value) {
    const CInstallerVariable* variable = script.FindVariable(name);
    if (!variable) return false;
    VString text(variable->GetValue());
    script.ExpandVariables(text);
    value = text.GetText();
    return true;
}

// The folder the install location page chose: the value of the variable its first option names.
bool ChosenLocation(const CInstallScript& script, std::string& location) {
    for (const CInstallerPage* page : script.GetPages()) {
        if (!page->GetViewType().IsEqual("InstallLocationView")) continue;
        std::string variable = page->GetArgument().GetText();
        variable = variable.substr(0, variable.find(','));
        VString name(variable.c_str());
        name.Trim();
        if (!name.IsEmpty() && Expanded(script, name.GetText(), location) && !location.empty()) {
            VString native(location.c_str());
            VFileManager::MakeNativePath(native);
            location = native.GetText();
            return true;
        }
    }
    return false;
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    {
        // std::localtime shares one buffer across the process.
        static std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
        local = *std::localtime(&now);
    }
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

// Compares as the registry does: ASCII letters without regard to case.
int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The command that removes the product: this program on its uninstall script, with the settings store
// named when it is not the default one, so that the removal reaches the store the record is in.
std::string UninstallCommand(const std::string& scriptPath) {
    std::string program = VApplication::Platform::GetExecutablePath();
    if (program.empty()) program = VApplication::GetModulePath().GetText();
    std::string command = Quoted(program) + " --uninstall " + Quoted(scriptPath);
    const std::string store = VRegistry::GetStoreLocation();
    if (!store.empty() && store != VApplication::Platform::GetDefaultRegistryPath())
        command += " --registry " + Quoted(Absolute(store));
    return command;
}

std::string KeyOf(const std::string& name) {
    return std::string(CInstalledProducts::kUninstallKey) + "\\" + name;
}

std::vector<std::string> KeyParts(const std::string& keyPath) {
    const std::string normalised = VRegistry::NormaliseKeyPath(keyPath.c_str());
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < normalised.size()) {
        const size_t end = normalised.find('\\', start);
        parts.push_back(normalised.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts;
}

std::string Joined(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i)
        path += (i ? "\\" : "") + parts[i];
    return path;
}

} // namespace

std::string CInstalledProducts::Product::Get(const char* valueName) const {
    for (const auto& [name, data] : values)
        if (CompareNoCase(name, valueName) == 0) return data;
    return std::string();
}

void CInstalledProducts::Record(const CInstallScript& script, const CInstallLog& log,
                                const std::string& logFolder) {
    std::string name;
    if (!Expanded(script, "APPLICATION_NAME", name) || name.empty()) return;
    VRef<VRegistry> record = MakeRef<VRegistry>(KeyOf(name).c_str());
    record->SetString("DisplayName", name.c_str());
    static const struct {
        const char* setting;
        const char* value;
    } kGlobals[] = {{"APPLICATION_VERSION", "DisplayVersion"},
                    {"APPLICATION_DEVELOPER", "Publisher"},
                    {"APPLICATION_HOMEPAGE", "URLInfoAbout"}};
    for (const auto& global : kGlobals) {
        std::string value;
        if (Expanded(script, global.setting, value))
            record->SetString(global.value, value.c_str());
        else
            record->DeleteValue(global.value);
    }
    std::string location;
    if (!ChosenLocation(script, location)) location = logFolder;
    const std::string uninstallScript = Absolute(log.GetUninstallPath().GetText());
    record->SetString("InstallLocation", Absolute(location).c_str());
    record->SetString("UninstallScript", uninstallScript.c_str());
    record->SetString("InstallLog", Absolute(log.GetLogPath().GetText()).c_str());
    record->SetString("InstallDate", Today().c_str());
    record->SetString("UninstallString", UninstallCommand(uninstallScript).c_str());
}

std::vector<CInstalledProducts::Product> CInstalledProducts::List() {
    std::vector<Product> products;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> values;
    if (MakeRef<VRegistry>(kUninstallKey)->ListKey(names, values) != VRegistry::Outcome::Done)
        return products;
    for (const std::string& name : names) {
        Product product;
        product.name = name;
        std::vector<std::string> subkeys;
        MakeRef<VRegistry>(KeyOf(name).c_str())->ListKey(subkeys, values);
        product.values.insert(values.begin(), values.end());
        products.push_back(std::move(product));
    }
    std::sort(products.begin(), products.end(),
              [](const Product& a, const Product& b) { return CompareNoCase(a.name, b.name) < 0; });
    return products;
}

bool CInstalledProducts::Find(const char* name, Product& out) {
    for (Product& product : List())
        if (CompareNoCase(product.name, name) == 0) {
            out = std::move(product);
            return true;
        }
    return false;
}

void CInstalledProducts::Print(FILE* out) {
    for (const Product& product : List()) {
        const std::string shown = product.Get("DisplayName");
        std::fprintf(out, "%s\t%s\t%s\t%s\n", shown.empty() ? product.name.c_str() : shown.c_str(),
                     product.Get("DisplayVersion").c_str(), product.Get("Publisher").c_str(),
                     product.Get("UninstallScript").c_str());
    }
}

bool CInstalledProducts::Remove(const std::string& name, const std::string& scriptPath) {
    Product product;
    if (name.empty() || !Find(name.c_str(), product)) return false;
    const std::string recorded = product.Get("UninstallScript");
    if (!recorded.empty() && Absolute(recorded) != Absolute(scriptPath)) return false;
    if (!MakeRef<VRegistry>(kUninstallKey)->DeleteSubkey(product.name.c_str())) return false;
    DeleteEmptyKeys(kUninstallKey);
    return true;
}

void CInstalledProducts::DeleteEmptyKeys(const std::string& keyPath, size_t keptLevels) {
    const std::vector<std::string> parts = KeyParts(keyPath);
    for (size_t depth = parts.size(); depth > keptLevels; --depth) {
        std::vector<std::string> subkeys;
        std::vector<std::pair<std::string, std::string>> values;
        if (MakeRef<VRegistry>(Joined(parts, depth).c_str())->ListKey(subkeys, values) !=
                VRegistry::Outcome::Done ||
            !subkeys.empty() || !values.empty())
            return;
        if (!MakeRef<VRegistry>(Joined(parts, depth - 1).c_str())->DeleteSubkey(parts[depth - 1].c_str()))
            return;
    }
}
