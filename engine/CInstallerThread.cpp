#include "engine/CInstallerThread.h"

#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CUninstallScript.h"
#include "engine/CUninstaller.h"
#include "engine/IInstallerInstruction.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VString.h"
#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

using namespace VFoundation;

V_IMPLEMENT_CLASS(CInstallerThread, VJob)

CInstallerThread::CInstallerThread() : VJob(nullptr, nullptr, GetClassRecord()) {}

CInstallerThread::CInstallerThread(IVJobDelegate* delegate, CInstallScript* script, CInstallLog* log,
                                   IZdrcaInstallHost* installHost)
    : VJob(nullptr, delegate, GetClassRecord()), m_script(script), m_log(VRef<CInstallLog>::Retained(log)),
      m_installHost(installHost) {}

CInstallerThread::~CInstallerThread() = default;

void CInstallerThread::AddProgress(float amount) {
    m_progress.store(m_progress.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

// An installation that is aborted (the Abort button, AbortInstallation without Exit) or stopped by an
// exception is rolled back when rollback is on; one that merely has failed steps is not.
bool CInstallerThread::Run() {
    if (!m_script) return false;
    bool result = false;
    try {
        result = RunSections();
    } catch (...) {
        if (IsRollbackOn()) RollBack();
        throw;
    }
    if (!result && IsRollbackOn()) RollBack();
    return result;
}

bool CInstallerThread::IsRollbackOn() const {
    const CInstallerVariable* setting = m_script ? m_script->FindVariable("APPLICATION_ROLLBACK") : nullptr;
    if (!setting || !m_log) return false;
    VString value(setting->GetValue());
    m_script->ExpandVariables(value);
    value.Trim();
    std::string text = value.GetText();
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text == "true";
}

void CInstallerThread::RollBack() {
    m_currentInstruction.store(nullptr);
    m_log->AddLine(VString("Rolling back the changes of the installation"), true);
    m_log->CloseUninstallScript();
    VRef<CUninstallScript> script = MakeRef<CUninstallScript>();
    if (script->Load(m_log->GetUninstallPath().GetText()) != CUninstallScript::LoadResult::Loaded) {
        VString text;
        text.Format("Cannot roll back: the uninstall script %s cannot be read",
                    m_log->GetUninstallPath().GetText());
        m_log->AddLine(text, false);
        return;
    }
    VRef<CUninstaller> undo =
        MakeRef<CUninstaller>(nullptr, script.Get(), m_log.Get(), CUninstaller::Scope::LastHead);
    m_rolledBack.store(undo->Run());
}

bool CInstallerThread::RunSections() {
    CInstallLog* log = m_log.Get();
    const auto& sections = m_script->GetSections();
    const int sectionCount = sections.GetCount();
    const float sectionShare = 1.0f / static_cast<float>(sectionCount);
    m_progress.store(0.0f);

    for (CInstallerSection* section : sections) {
        if (m_abortRequested.load()) return false;
        if (!section->IsSelected()) {
            AddProgress(sectionShare);
            continue;
        }
        const int count = section->GetInstructionCount();
        const float instructionShare = sectionShare / static_cast<float>(count);
        m_currentShare.store(instructionShare);
        int32_t step = 1;
        for (int64_t index = 0; index < count;) {
            if (m_abortRequested.load()) return false;
            IInstallerInstruction* instruction = section->GetInstructionAtIndex(static_cast<int>(index));
            m_currentInstruction.store(instruction);
            instruction->SetLog(log);
            const char* className = instruction->GetClassName();
            bool leaveSection = false;
            if (std::strcmp(className, "CZdrcaCopyDirectoryInstruction") == 0) {
                static_cast<CZdrcaCopyDirectoryInstruction*>(instruction)->SetInstallHost(m_installHost);
            } else if (std::strcmp(className, "CExitSectionInstruction") == 0) {
                instruction->Execute();
                leaveSection = true;
            } else if (std::strcmp(className, "CShowSplashScreenInstruction") == 0) {
                m_currentInstruction.store(nullptr);
                throw VException(
                    0, nullptr,
                    "You cannot use a splash screen inside the installation thread. Splash screens "
                    "can only be used in the PreRun script section");
            } else if (std::strcmp(className, "CAbortInstallationInstruction") == 0) {
                const bool result = instruction->Execute();
                m_endedByExit.store(result && log);
                m_currentInstruction.store(nullptr);
                return result;
            }
            if (leaveSection) {
                m_currentInstruction.store(nullptr);
                break;
            }

            try {
                if (!instruction->Execute() && log) {
                    VString text;
                    text.Format("Failed to execute %s instruction properly, in section %s", className,
                                section->GetName().GetText());
                    log->AddException(text);
                }
                step = CInstallScript::NextStep(instruction);
            } catch (const VException& exception) {
                if (log) {
                    VString description;
                    exception.GetDescription(description);
                    log->AddException(description);
                }
                // After a throw the run moves on to the next instruction.
                step = 1;
            } catch (...) {
                if (log) {
                    VString text;
                    text.Format("Caught unknown exception whilst processing %s instruction", className);
                    log->AddException(text);
                }
                step = 1;
            }
            m_currentInstruction.store(nullptr);
            AddProgress(instructionShare);
            index += step;
        }
    }
    return true;
}

InstallOutcome::Record CInstallerThread::DescribeOutcome(bool finished) const {
    InstallOutcome::Record record;
    record.ran = true;
    record.finished = finished;
    if (CInstallLog* log = m_log.Get()) {
        record.failedRows = log->GetFailedRowCount();
        record.excusedRows = m_endedByExit.load() ? 1 : 0;
        record.recordFailed = log->HasRecordFailed();
        record.logPath = log->GetLogPath().GetText();
    }
    return record;
}

float CInstallerThread::GetProgress() {
    return m_progress.load();
}

void CInstallerThread::Abort() {
    m_abortRequested.store(true);
    if (IInstallerInstruction* instruction = m_currentInstruction.load()) instruction->Abort();
}

float CInstallerThread::GetDetailedProgress() const {
    const float done = m_progress.load();
    const float share = m_currentShare.load();
    const float running = std::clamp(GetCurrentInstructionProgress(), 0.0f, 1.0f);
    return std::min(1.0f, done + share * running);
}

float CInstallerThread::GetCurrentInstructionProgress() const {
    IInstallerInstruction* instruction = m_currentInstruction.load();
    return instruction ? instruction->GetProgress() : 0.0f;
}
