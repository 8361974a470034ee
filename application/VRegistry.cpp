#include "application/VRegistry.h"

#include "application/ApplicationPlatform.h"
#include "application/RegistryStore.h"
#include "foundation/VClass.h"
#include "foundation/VLog.h"

#include <cstdlib>
#include <mutex>

namespace VApplication {

V_IMPLEMENT_CLASS(VRegistry, VFoundation::VObject)

namespace {

std::mutex g_locationGuard;
std::string g_programLocation;

std::unique_ptr<IRegistryStore> OpenStore() {
    const std::string location = VRegistry::GetStoreLocation();
    if (location.empty()) {
        VFoundation::LogPrintf("VRegistry: no settings store: set KIS_REGISTRY or HOME\n");
        return nullptr;
    }
    return OpenRegistryStore(location);
}

} // namespace

VRegistry::VRegistry() : VObject(GetClassRecord()) {}

VRegistry::VRegistry(const char* keyPath, VFoundation::VClass* record)
    : VObject(record ? record : GetClassRecord()), m_keyPath(keyPath ? keyPath : "") {}

VRegistry::~VRegistry() = default;

bool VRegistry::SetString(const char* valueName, const char* text) {
    m_storeFailed = false;
    if (!valueName || !text) return false;
    auto store = OpenStore();
    const bool stored = store && store->SetValue(NormaliseKeyPath(m_keyPath.GetText()), valueName, text) ==
                                     IRegistryStore::Result::Done;
    m_storeFailed = !stored;
    return stored;
}

void VRegistry::GetString(const char* valueName, const char* defaultText, VFoundation::VString& out) {
    out.Assign(defaultText ? defaultText : "");
    m_storeFailed = false;
    auto store = OpenStore();
    if (!store) {
        m_storeFailed = true;
        return;
    }
    std::string data;
    const auto result =
        store->GetValue(NormaliseKeyPath(m_keyPath.GetText()), valueName ? valueName : "", data);
    m_storeFailed = result == IRegistryStore::Result::Failed;
    // The read takes kReadLimit bytes with the terminator; a longer value does not fit and reads as missing.
    if (result == IRegistryStore::Result::Done && data.size() + 1 <= kReadLimit) out.Assign(data.c_str());
}

VFoundation::VString VRegistry::GetStringByValue(const char* valueName, const char* defaultText) {
    VFoundation::VString out;
    GetString(valueName, defaultText, out);
    return out;
}

bool VRegistry::DeleteSubkey(const char* subkeyName) {
    m_storeFailed = false;
    if (!subkeyName) return false;
    const std::string subkey = NormaliseKeyPath(subkeyName);
    // An empty name would name the key itself, which this operation must never delete.
    if (subkey.empty()) return false;
    auto store = OpenStore();
    const auto result = store ? store->DeleteSubkey(NormaliseKeyPath(m_keyPath.GetText()), subkey)
                              : IRegistryStore::Result::Failed;
    m_storeFailed = result == IRegistryStore::Result::Failed;
    return result == IRegistryStore::Result::Done;
}

namespace {
VRegistry::Outcome OutcomeOf(IRegistryStore::Result result) {
    switch (result) {
    case IRegistryStore::Result::Done:
        return VRegistry::Outcome::Done;
    case IRegistryStore::Result::NoKey:
    case IRegistryStore::Result::NoValue:
        return VRegistry::Outcome::Missing;
    default:
        return VRegistry::Outcome::Failed;
    }
}
} // namespace

VRegistry::Outcome VRegistry::DeleteValue(const char* valueName) {
    auto store = OpenStore();
    if (!store) return Outcome::Failed;
    return OutcomeOf(store->DeleteValue(NormaliseKeyPath(m_keyPath.GetText()), valueName ? valueName : ""));
}

VRegistry::Outcome VRegistry::ListKey(std::vector<std::string>& subkeys,
                                      std::vector<std::pair<std::string, std::string>>& values) {
    subkeys.clear();
    values.clear();
    auto store = OpenStore();
    if (!store) return Outcome::Failed;
    return OutcomeOf(store->ListKey(NormaliseKeyPath(m_keyPath.GetText()), subkeys, values));
}

void VRegistry::SetStoreLocation(const char* path) {
    std::lock_guard<std::mutex> lock(g_locationGuard);
    g_programLocation = path ? path : "";
}

std::string VRegistry::GetStoreLocation() {
    {
        std::lock_guard<std::mutex> lock(g_locationGuard);
        if (!g_programLocation.empty()) return g_programLocation;
    }
    const char* environment = std::getenv("KIS_REGISTRY");
    if (environment && *environment) return environment;
    return Platform::GetDefaultRegistryPath();
}

std::string VRegistry::NormaliseKeyPath(const char* keyPath) {
    std::string normalised;
    std::string part;
    auto flush = [&] {
        if (part.empty()) return;
        if (!normalised.empty()) normalised += '\\';
        normalised += part;
        part.clear();
    };
    for (const char* c = keyPath ? keyPath : ""; *c; ++c) {
        if (*c == '\\' || *c == '/')
            flush();
        else
            part += *c;
    }
    flush();
    return normalised;
}

} // namespace VApplication
