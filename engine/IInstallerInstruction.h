#pragma once

#include "engine/CInstallLog.h"
#include "foundation/VObject.h"

#include <atomic>
#include <cstdarg>

class CInstallScript;

namespace VFoundation {
class VString;
}

// One line of a section or of the pre-run list, made by the instruction factory from its keyword.
//
// Contract for every instruction class:
// - The constructor takes the argument text of its line, parses it at once and throws VException for a
//   malformed text (that ends the script parse). Arguments are not expanded there.
// - Execute() runs on the installer thread (or, for the pre-run list, on the user-interface thread). It
//   expands its arguments at that moment, writes its own rows and uninstall entries through the log
//   (only when a log is set: the result never depends on it) and returns false for a run-time failure
//   instead of throwing.
// - Abort() may be called from another thread while Execute() runs.
// - progress (0 to 1) is read by the user-interface thread while Execute() runs.
// The list that receives an instruction (a section or the pre-run list) holds its reference.
class IInstallerInstruction : public VFoundation::VObject {
    V_DECLARE_CLASS(IInstallerInstruction)
public:
    explicit IInstallerInstruction(VFoundation::VClass* record = nullptr);
    ~IInstallerInstruction() override;

    virtual bool Execute() = 0;
    virtual void Abort() {}

    CInstallScript* GetScript() const { return m_script; }
    void SetScript(CInstallScript* script) { m_script = script; }
    CInstallLog* GetLog() const { return m_log; }
    void SetLog(CInstallLog* log) { m_log = log; }
    float GetProgress() const { return m_progress.load(std::memory_order_relaxed); }

protected:
    void SetProgress(float progress) { m_progress.store(progress, std::memory_order_relaxed); }
    void AddProgress(float amount) { SetProgress(GetProgress() + amount); }
    // Expands the script's variables in text (when a script is set) and turns every '/' into the native
    // separator.
    void ExpandPath(VFoundation::VString& text) const;
    // ExpandPath for a file-system path: false, with a failure row naming the variable ("<who>. ..."),
    // when a variable reference is left in it. Such a path would otherwise make files and folders named
    // after the reference wherever it leads.
    bool ExpandPathArgument(VFoundation::VString& text, const char* who) const;
    // Expands the script's variables in text when a script is set.
    void ExpandText(VFoundation::VString& text) const;
    // A success or failure row, written only when a log is set.
    void LogLine(bool succeeded, const char* format, ...) const __attribute__((format(printf, 3, 4)));
    void LogException(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void LogUninstallEntry(const VFoundation::VString& text, UninstallEntryKind kind) const;

private:
    static VFoundation::VString FormatRow(const char* format, va_list arguments);

    CInstallScript* m_script = nullptr;
    CInstallLog* m_log = nullptr;
    std::atomic<float> m_progress{0.0f};
};
