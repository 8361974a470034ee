#pragma once

#include "foundation/VJob.h"
#include "foundation/VRef.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

class CInstallLog;
class CUninstallScript;

namespace VFoundation {
class VObject;
}

// Removes what an uninstall script lists, newest entry first, writing one row per entry to a log. As a
// job it runs a whole uninstall on the installer's job server (with the installation's abort and progress
// behaviour); the installer thread also calls Run itself to roll back the head its own run wrote.
//
// Files and folders are only ever removed one by one: a folder that still holds anything is kept, a link
// is removed itself and never followed, and paths that are not absolute, roots, the home folder or a
// built-in folder itself are refused. When nothing of the script is left to do, the installation's
// traces go as well: the install log, the uninstall script, the uninstall log, the product's record and
// the folders kept because these files were in them. Otherwise the script is rewritten to what is left.
class CUninstaller : public VFoundation::VJob {
    V_DECLARE_CLASS(CUninstaller)
public:
    enum class Scope { WholeScript, LastHead };

    CUninstaller();
    // The script and the log are retained. The log receives the rows; rows written after it is closed
    // reach only its row receiver.
    CUninstaller(VFoundation::IVJobDelegate* delegate, CUninstallScript* script, CInstallLog* log,
                 Scope scope);
    ~CUninstaller() override;

    // True when every entry in scope was removed (kept folders and shared files count as removed).
    bool Run() override;
    float GetProgress() override;
    void Abort() override;

    size_t GetEntryCount() const;
    // After Run: nothing of the installation is left.
    bool HasRemovedEverything() const { return m_removedEverything.load(); }

    // The uninstall log of a script, opened in the script's folder, rows handed to rowReceiver (may be
    // null): "<name>_uninstallLog.log".
    static VFoundation::VRef<CInstallLog> CreateUninstallLog(const CUninstallScript& script,
                                                             VFoundation::VObject* rowReceiver);
    // Why path may not be removed ("" when it may): not absolute, a root, the home folder or a built-in
    // folder itself.
    static std::string RefusalReason(const std::string& path);

private:
    bool InScope(size_t index) const;
    // kept: a folder entry that stays because it is not empty.
    bool RemoveEntry(size_t index, bool& kept);
    bool RemoveFile(const std::string& path);
    bool RemoveFolder(const std::string& path, bool& kept);
    bool RemoveRegistryValue(const std::string& text);
    bool Unregister(const std::string& path);
    bool Refused(const std::string& path);
    void RemoveTraces(const std::vector<size_t>& keptFolders);
    void Row(bool succeeded, const char* format, ...);

    VFoundation::VRef<CUninstallScript> m_script;
    VFoundation::VRef<CInstallLog> m_log;
    Scope m_scope = Scope::WholeScript;
    std::atomic<bool> m_abortRequested{false};
    std::atomic<float> m_progress{0.0f};
    std::atomic<bool> m_removedEverything{false};
    // The folders never removed, each with what it is: (path, description).
    std::vector<std::pair<std::string, std::string>> m_protected;
};
