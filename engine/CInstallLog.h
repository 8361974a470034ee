#pragma once

#include "foundation/VObject.h"
#include "foundation/VRef.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CInstallScript;
class CInstallerPage;
class CInstallerSection;
class CInstallerVariable;

namespace VFoundation {
class VString;
template <typename T> class VObjectArrayTmpl;
} // namespace VFoundation

enum UninstallEntryKind : int {
    UninstallFile = 0,
    UninstallFolder = 1,
    UninstallRegistry = 2,
    UninstallShared = 3,
    UninstallRegisterDLL = 4,
};

// Receives the text of every table row of the install log (the install process panel). It is called
// on the thread that writes the row, the installer thread; a receiver that touches controls must hand
// the text to the user-interface thread.
class ILogRowReceiver {
public:
    virtual ~ILogRowReceiver() = default;
    virtual void AddLogLine(const VFoundation::VString& text) = 0;
};

// Writes the install log and the uninstall script. The main window opens it and writes the heads on the
// user-interface thread; from then on only the installer thread writes. Every row and entry is flushed
// at once; both files are closed (the log with its closing border) when the last reference goes.
class CInstallLog : public VFoundation::VObject {
    V_DECLARE_CLASS(CInstallLog)
public:
    static constexpr int kRowTextWidth = 240;

    CInstallLog();
    ~CInstallLog() override;

    // The main window's log setup, on the user-interface thread before the installer thread is queued:
    // expands APPLICATION_NAME and APPLICATION_LOGPATH, creates the log folder when missing (recording
    // it in the uninstall script), opens the files, writes the declarations and the table head and sets
    // the row receiver. Throws VException when a variable is missing or the folder cannot be made.
    // Folders made for the installation before the log existed (the install location page's), outermost
    // first, are recorded before the log folder.
    static VFoundation::VRef<CInstallLog> CreateForScript(const CInstallScript& script,
                                                          VFoundation::VObject* rowReceiver,
                                                          const std::vector<std::string>& madeBefore = {});

    bool Open(const VFoundation::VString& logFolder, const VFoundation::VString& applicationName);
    // The uninstall log instead of the two files: replaces the file at path and writes the date line, the
    // product and its uninstall script, and the table head. Entries written later go nowhere.
    bool OpenUninstallLog(const VFoundation::VString& path, const VFoundation::VString& productName,
                          const VFoundation::VString& scriptPath);
    // Finishes the log (closing border) and closes both files now; rows written later reach only the row
    // receiver. The destructor does this when it has not been done.
    void Close();
    // Closes the uninstall script alone, so that it may be rewritten; later entries go nowhere.
    void CloseUninstallScript();
    void DumpVariables(const VFoundation::VObjectArrayTmpl<CInstallerVariable>& variables);
    void DumpPages(const VFoundation::VObjectArrayTmpl<CInstallerPage>& pages);
    void DumpSections(const VFoundation::VObjectArrayTmpl<CInstallerSection>& sections);
    void WriteTableHead();
    // receiver must also be an ILogRowReceiver; the log holds a reference to it. Null clears it.
    void SetRowReceiver(VFoundation::VObject* receiver);

    void AddLine(const VFoundation::VString& text, bool succeeded);
    void AddException(const VFoundation::VString& text);
    void AddUninstallEntry(const VFoundation::VString& text, UninstallEntryKind kind);

    // The folders of path that do not exist yet, outermost first (path itself last), so that a caller that
    // makes them can record each one it made.
    static std::vector<std::string> MissingFolders(const VFoundation::VString& path);
    // Records the folders of a MissingFolders list that exist now as Folder entries, in list order; the
    // last one is written as lastText (the path as the script named it). Folders that an uninstall never
    // removes (roots, the home folder, the built-in folders) are left out.
    void AddCreatedFolders(const std::vector<std::string>& folders, const VFoundation::VString& lastText);

    // Failure and Exception rows written so far (any thread may ask).
    uint32_t GetFailedRowCount() const { return m_failedRows.load(); }
    // True once the install log or the uninstall script could not be opened or written (a full disk, a
    // name that is no file name). The user is told the first time with an alert; the installation goes on.
    bool HasRecordFailed() const { return m_recordFailed.load(); }

    // Entry texts of the uninstall script are escaped so that a name holding a line break cannot add an
    // entry, and so that a reader restores the exact name: a line feed becomes "\n", a carriage return
    // "\r", every other control byte (below 0x20, and 0x7f) "\xHH" with two upper-case hexadecimal
    // digits, and a backslash is doubled only where it would otherwise start one of these escapes (before
    // a backslash, "n", "r", "x" or at the end). Every other backslash stands for itself, so Windows paths
    // and registry keys are written as they are.
    static VFoundation::VString EscapeEntryText(const VFoundation::VString& text);
    // The reverse; false (output unspecified) for a cut escape ("\x" without two hexadecimal digits, a
    // lone backslash at the end).
    static bool UnescapeEntryText(const VFoundation::VString& text, VFoundation::VString& out);
    // Log rows are read by people, not programs: control bytes are written as in an entry, backslashes
    // stay single so that Windows paths read as they are.
    static VFoundation::VString EscapeRowText(const VFoundation::VString& text);

    const VFoundation::VString& GetLogPath() const;
    const VFoundation::VString& GetUninstallPath() const;

private:
    void WriteRow(const char* marker, const VFoundation::VString& text);
    void WriteLog(const char* text);
    // After a write to file: when it failed, closes the file (so later writes are skipped) and reports it.
    void CheckWritten(FILE*& file, const VFoundation::VString& path);
    void ReportRecordFailure(const VFoundation::VString& path);

    FILE* m_log = nullptr;
    FILE* m_uninstall = nullptr;
    VFoundation::VObject* m_receiverObject = nullptr;
    ILogRowReceiver* m_receiver = nullptr;
    std::atomic<uint32_t> m_failedRows{0};
    std::atomic<bool> m_recordFailed{false};
    VFoundation::VString* m_logPath;
    VFoundation::VString* m_uninstallPath;
};
