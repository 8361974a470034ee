#include "engine/CUninstaller.h"

#include "application/VRegistry.h"
#include "engine/BuiltinFolders.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CInstalledProducts.h"
#include "engine/CSetMessageHandler.h"
#include "engine/CUninstallScript.h"
#include "foundation/FilePlatform.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VString.h"
#include "instructions/LibraryRegistration.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>

using namespace VFoundation;
namespace FP = VFoundation::FilePlatform;

V_IMPLEMENT_CLASS(CUninstaller, VJob)

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// The path as it compares: lexically normal ("a/./b/../c" is "a/c"), without a trailing separator.
std::string Normal(const std::string& path) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && IsSeparator(normal.back()) &&
           !VFileManager::Instance()->IsRootPath(normal.c_str()))
        normal.pop_back();
    return normal;
}

using ProtectedFolders = std::vector<std::pair<std::string, std::string>>;

ProtectedFolders FindProtectedFolders() {
    ProtectedFolders folders;
    std::string value;
    if (BuiltinFolders::Lookup("HOME_FOLDER", value) && !value.empty())
        folders.push_back({Normal(value), "the home folder"});
    for (const std::string& name : CInstallScript::GetBuiltinFolderNames())
        if (CInstallScript::GetBuiltinFolder(name.c_str(), value) && !value.empty())
            folders.push_back({Normal(value), "the built-in folder " + name});
    return folders;
}

std::string Refusal(const std::string& path, const ProtectedFolders& folders) {
    if (path.empty() || !std::filesystem::path(path).is_absolute()) return "it is not an absolute path";
    const std::string normal = Normal(path);
    if (VFileManager::Instance()->IsRootPath(normal.c_str())) return "it is a root folder";
    for (const auto& [folder, description] : folders)
        if (folder == normal) return "it is " + description;
    return std::string();
}

bool IsEmptyFolder(const std::string& path, bool& empty) {
    empty = true;
    return FP::ListDirectory(path.c_str(), [&empty](const char*, const FP::Status&) { empty = false; });
}

std::string Native(const std::string& path) {
    VString native(path.c_str());
    VFileManager::MakeNativePath(native);
    return native.GetText();
}

} // namespace

CUninstaller::CUninstaller() : VJob(nullptr, nullptr, GetClassRecord()) {}

CUninstaller::CUninstaller(IVJobDelegate* delegate, CUninstallScript* script, CInstallLog* log, Scope scope)
    : VJob(nullptr, delegate, GetClassRecord()), m_script(VRef<CUninstallScript>::Retained(script)),
      m_log(VRef<CInstallLog>::Retained(log)), m_scope(scope) {}

CUninstaller::~CUninstaller() = default;

std::string CUninstaller::RefusalReason(const std::string& path) {
    return Refusal(path, FindProtectedFolders());
}

VRef<CInstallLog> CUninstaller::CreateUninstallLog(const CUninstallScript& script, VObject* rowReceiver) {
    VRef<CInstallLog> log = MakeRef<CInstallLog>();
    VString path(script.GetFolder().c_str());
    path.AppendPathComponent((script.GetProductName() + "_uninstallLog.log").c_str());
    log->OpenUninstallLog(path, VString(script.GetProductName().c_str()), VString(script.GetPath().c_str()));
    log->SetRowReceiver(rowReceiver);
    return log;
}

bool CUninstaller::InScope(size_t index) const {
    const CUninstallScript::Entry& entry = m_script->GetEntries()[index];
    if (entry.done) return false;
    return m_scope == Scope::WholeScript || entry.head + 1 == m_script->GetHeadCount();
}

size_t CUninstaller::GetEntryCount() const {
    size_t count = 0;
    if (m_script)
        for (size_t i = 0; i < m_script->GetEntries().size(); ++i)
            if (InScope(i)) ++count;
    return count;
}

float CUninstaller::GetProgress() {
    return m_progress.load();
}

void CUninstaller::Abort() {
    m_abortRequested.store(true);
}

void CUninstaller::Row(bool succeeded, const char* format, ...) {
    if (!m_log) return;
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    m_log->AddLine(VString(text), succeeded);
}

bool CUninstaller::Run() {
    if (!m_script) return false;
    m_progress.store(0.0f);
    m_removedEverything.store(false);
    // An installation rolling back still holds its uninstall script open for appending.
    if (m_log) m_log->CloseUninstallScript();
    if (CSetMessageHandler* handler = CSetMessageHandler::GetMessageHandler()) {
        VString message(m_scope == Scope::WholeScript ? "Removing " : "Undoing the changes to ");
        handler->SetMessage(message.Append(m_script->GetProductName().c_str()));
    }
    m_protected = FindProtectedFolders();

    const size_t total = GetEntryCount();
    const float share = total ? 1.0f / static_cast<float>(total) : 0.0f;
    bool failed = false;
    std::vector<size_t> keptFolders;
    auto& entries = m_script->GetEntries();
    for (size_t index = entries.size(); index-- > 0;) {
        if (!InScope(index)) continue;
        if (m_abortRequested.load()) {
            Row(false, "The removal was aborted: %zu entries are left to do", m_script->GetRemainingCount());
            failed = true;
            break;
        }
        bool kept = false;
        const bool removed = RemoveEntry(index, kept);
        entries[index].done = removed;
        if (kept) keptFolders.push_back(index);
        failed = failed || !removed;
        m_progress.store(m_progress.load() + share);
    }

    // A folder kept because something of ours that could not be removed is still in it stays to do, so
    // that the run that finishes the work removes it too; one kept for other files is done with.
    for (size_t folder : keptFolders) {
        const std::string prefix = Normal(Native(entries[folder].text)) + VFileManager::PathSeparator();
        for (const CUninstallScript::Entry& entry : entries)
            if (!entry.done && Normal(Native(entry.text)).compare(0, prefix.size(), prefix) == 0) {
                entries[folder].done = false;
                break;
            }
    }
    const bool saved = m_script->Save();
    if (!saved)
        Row(false, "Could not rewrite the uninstall script %s", m_script->GetPath().c_str());
    else if (m_script->GetRemainingCount() > 0)
        Row(true, "The uninstall script %s now lists the %zu entries left to do", m_script->GetPath().c_str(),
            m_script->GetRemainingCount());
    if (saved && m_script->GetRemainingCount() == 0) RemoveTraces(keptFolders);
    return saved && !failed;
}

bool CUninstaller::Refused(const std::string& path) {
    const std::string reason = Refusal(path, m_protected);
    if (reason.empty()) return false;
    Row(false, "Refused to remove %s: %s", path.c_str(), reason.c_str());
    return true;
}

bool CUninstaller::RemoveEntry(size_t index, bool& kept) {
    const CUninstallScript::Entry& entry = m_script->GetEntries()[index];
    kept = false;
    switch (entry.kind) {
    case UninstallFile:
        return RemoveFile(Native(entry.text));
    case UninstallFolder:
        return RemoveFolder(Native(entry.text), kept);
    case UninstallRegistry:
        return RemoveRegistryValue(entry.text);
    case UninstallRegisterDLL:
        return Unregister(Native(entry.text));
    case UninstallShared:
        Row(true, "Kept shared file %s: shared files are kept", entry.text.c_str());
        return true;
    default:
        Row(false, "Cannot read the uninstall entry %s", entry.line.c_str());
        return false;
    }
}

bool CUninstaller::RemoveFile(const std::string& path) {
    if (Refused(path)) return false;
    FP::Status status;
    if (!FP::GetStatus(path.c_str(), status, false)) {
        Row(true, "File %s was already removed", path.c_str());
        return true;
    }
    if (status.isDirectory) {
        Row(false, "Refused to remove %s: it is a folder now", path.c_str());
        return false;
    }
    // A link goes itself; what it points at is never touched. A read-only file was made read-only by the
    // installation (or for it), so the mark is cleared first.
    if (!status.isLink && !status.isWritable) FP::SetWritable(path.c_str(), true);
    const bool removed = FP::RemoveFile(path.c_str()) == FP::RemoveResult::Removed;
    if (status.isLink)
        Row(removed, removed ? "Removed the link %s" : "Could not remove the link %s", path.c_str());
    else
        Row(removed, removed ? "Removed file %s" : "Could not remove file %s", path.c_str());
    return removed;
}

bool CUninstaller::RemoveFolder(const std::string& path, bool& kept) {
    kept = false;
    if (Refused(path)) return false;
    FP::Status status;
    if (!FP::GetStatus(path.c_str(), status, false)) {
        Row(true, "Folder %s was already removed", path.c_str());
        return true;
    }
    if (status.isLink) {
        const bool removed = FP::RemoveFile(path.c_str()) == FP::RemoveResult::Removed;
        Row(removed, removed ? "Removed the link %s" : "Could not remove the link %s", path.c_str());
        return removed;
    }
    if (!status.isDirectory) {
        Row(false, "Refused to remove %s: it is not a folder", path.c_str());
        return false;
    }
    bool empty = true;
    if (!IsEmptyFolder(path, empty)) {
        Row(false, "Could not read folder %s", path.c_str());
        return false;
    }
    if (!empty) {
        kept = true;
        Row(true, "Folder %s was kept, not empty", path.c_str());
        return true;
    }
    if (!status.isWritable) FP::SetWritable(path.c_str(), true);
    const bool removed = FP::RemoveDirectory(path.c_str());
    Row(removed, removed ? "Removed folder %s" : "Could not remove folder %s", path.c_str());
    return removed;
}

bool CUninstaller::RemoveRegistryValue(const std::string& text) {
    // Key path, value name and value; only the value may hold commas.
    const size_t first = text.find(',');
    const size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || first == 0) {
        Row(false, "Cannot read the registry entry %s", text.c_str());
        return false;
    }
    const std::string key = text.substr(0, first);
    const std::string name = text.substr(first + 1, second - first - 1);
    VRef<VApplication::VRegistry> registry = MakeRef<VApplication::VRegistry>(key.c_str());
    switch (registry->DeleteValue(name.c_str())) {
    case VApplication::VRegistry::Outcome::Done:
        Row(true, "Deleted registry value %s of %s", name.c_str(), key.c_str());
        break;
    case VApplication::VRegistry::Outcome::Missing:
        Row(true, "Registry value %s of %s was already deleted", name.c_str(), key.c_str());
        break;
    case VApplication::VRegistry::Outcome::Failed:
        Row(false, "Could not delete registry value %s of %s", name.c_str(), key.c_str());
        return false;
    }
    CInstalledProducts::DeleteEmptyKeys(key);
    return true;
}

bool CUninstaller::Unregister(const std::string& path) {
    if (Refused(path)) return false;
    FP::Status status;
    if (!FP::GetStatus(path.c_str(), status, false)) {
        Row(true, "Library %s was already removed: there is nothing to unregister", path.c_str());
        return true;
    }
    // Loading runs the library's code: never through a link that may since point elsewhere.
    if (status.isLink || status.isDirectory) {
        Row(false, "Refused to unregister %s: it is no longer a library file", path.c_str());
        return false;
    }
    const bool unregistered = LibraryRegistration::Call(VString(path.c_str()), "DllUnregisterServer", true) ==
                              LibraryRegistration::Outcome::Succeeded;
    Row(unregistered, unregistered ? "Unregistered library %s" : "Could not unregister library %s",
        path.c_str());
    return unregistered;
}

void CUninstaller::RemoveTraces(const std::vector<size_t>& keptFolders) {
    const std::string folder = m_script->GetFolder();
    const std::string& name = m_script->GetProductName();
    // From here on the rows reach only the log view: the log file itself is one of the traces.
    if (m_log) m_log->Close();
    bool complete = true;
    for (const char* suffix : {"_installLog.log", "_uninstallLog.log"}) {
        VString path(folder.c_str());
        path.AppendPathComponent((name + suffix).c_str());
        const FP::RemoveResult result = FP::RemoveFile(path.GetText());
        if (result == FP::RemoveResult::Removed) Row(true, "Removed %s", path.GetText());
        if (result != FP::RemoveResult::Removed && result != FP::RemoveResult::NotFound) {
            Row(false, "Could not remove %s", path.GetText());
            complete = false;
        }
    }
    Row(true, "Removed the uninstall script %s", m_script->GetPath().c_str());
    if (CInstalledProducts::Remove(name, m_script->GetPath()))
        Row(true, "Removed %s from the installed products", name.c_str());

    // The log folder, then the folders that were kept only because the log folder or its files were in
    // them, newest first as before.
    std::vector<std::string> folders{folder};
    for (size_t index : keptFolders)
        folders.push_back(Native(m_script->GetEntries()[index].text));
    for (const std::string& path : folders) {
        FP::Status status;
        bool empty = false;
        if (!Refusal(path, m_protected).empty() || !FP::GetStatus(path.c_str(), status, false) ||
            status.isLink || !status.isDirectory || !IsEmptyFolder(path, empty) || !empty)
            continue;
        if (FP::RemoveDirectory(path.c_str()))
            Row(true, "Removed folder %s", path.c_str());
        else
            complete = false;
    }
    m_removedEverything.store(complete);
}
