#include "engine/CInstallLog.h"

#include "engine/CInstallScript.h"
#include "engine/CInstallerPage.h"
#include "engine/CInstallerSection.h"
#include "engine/CInstallerVariable.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLogFile.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <string>

using namespace VFoundation;

V_IMPLEMENT_CLASS(CInstallLog, VObject)

namespace {

const char* const kBlockEnd = "\n--------------------------------------------------------------\n";

std::string BorderLine() {
    return "+" + std::string(9, '-') + "+" + std::string(CInstallLog::kRowTextWidth, '-') + "+";
}

std::string TitleLine() {
    std::string title = "  Instruction Description";
    title.resize(CInstallLog::kRowTextWidth, ' ');
    return "|  Error  |" + title + "|";
}

} // namespace

CInstallLog::CInstallLog()
    : VObject(GetClassRecord()), m_logPath(VString::Alloc()), m_uninstallPath(VString::Alloc()) {}

CInstallLog::~CInstallLog() {
    if (m_log) {
        WriteLog((BorderLine() + "\n").c_str());
        std::fclose(m_log);
    }
    if (m_uninstall) std::fclose(m_uninstall);
    SetRowReceiver(nullptr);
    m_logPath->Release();
    m_uninstallPath->Release();
}

bool CInstallLog::Open(const VString& logFolder, const VString& applicationName) {
    m_logPath->Assign(logFolder);
    m_logPath->AppendPathComponent(VString(applicationName).Append("_installLog.log").GetText());
    m_uninstallPath->Assign(logFolder);
    m_uninstallPath->AppendPathComponent(VString(applicationName).Append("_uninstaller.kus").GetText());
    m_log = std::fopen(m_logPath->GetText(), "w");
    m_uninstall = std::fopen(m_uninstallPath->GetText(), "a");
    if (!m_log || !m_uninstall) return false;
    WriteLog(VLogFile::CurrentDateText().c_str());
    std::fprintf(m_uninstall, "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,%s\n\n\n",
                 applicationName.GetText());
    std::fflush(m_uninstall);
    return true;
}

void CInstallLog::WriteLog(const char* text) {
    if (!m_log) return;
    std::fputs(text, m_log);
    std::fflush(m_log);
}

void CInstallLog::DumpVariables(const VObjectArrayTmpl<CInstallerVariable>& variables) {
    if (!m_log) return;
    std::fputs("\n\n\nVARIABLES DECLARED ------------------------------------------\n\n", m_log);
    for (CInstallerVariable* variable : variables)
        std::fprintf(m_log, "%-25s\t\t%s\n", variable->GetName().GetText(), variable->GetValue().GetText());
    WriteLog(kBlockEnd);
}

void CInstallLog::DumpPages(const VObjectArrayTmpl<CInstallerPage>& pages) {
    if (!m_log) return;
    std::fputs("\n\n\nPAGES DECLARED ----------------------------------------------\n\n", m_log);
    for (CInstallerPage* page : pages)
        std::fprintf(m_log, "%-25s\t\t%s\n", page->GetViewType().GetText(), page->GetArgument().GetText());
    WriteLog(kBlockEnd);
}

void CInstallLog::DumpSections(const VObjectArrayTmpl<CInstallerSection>& sections) {
    if (!m_log) return;
    std::fputs("\n\n\nSECTIONS DECLARED -------------------------------------------\n\n", m_log);
    for (CInstallerSection* section : sections)
        std::fprintf(m_log, "%-25s\t\t%-75s\t\t%-25s\n", section->GetName().GetText(),
                     section->GetDescription().GetText(), section->IsOptional() ? "Optional" : " ");
    WriteLog((std::string(kBlockEnd) + "\n\n\n").c_str());
}

void CInstallLog::WriteTableHead() {
    const std::string border = BorderLine();
    WriteLog((border + "\n" + TitleLine() + "\n" + border + "\n").c_str());
}

void CInstallLog::SetRowReceiver(VObject* receiver) {
    if (receiver) receiver->Retain();
    VObject* old = m_receiverObject;
    m_receiverObject = receiver;
    m_receiver = dynamic_cast<ILogRowReceiver*>(receiver);
    if (old) old->Release();
}

void CInstallLog::WriteRow(const char* marker, const VString& text) {
    if (m_log) {
        const std::string cut(text.GetText(), std::min<uint32_t>(text.GetLength(), kRowTextWidth));
        std::fprintf(m_log, "|%s|%-240s|\n", marker, cut.c_str());
        std::fflush(m_log);
    }
    if (m_receiver) m_receiver->AddLogLine(text);
}

void CInstallLog::AddLine(const VString& text, bool succeeded) {
    WriteRow(succeeded ? "         " : " Failure ", text);
}

void CInstallLog::AddException(const VString& text) {
    WriteRow("Exception", text);
}

void CInstallLog::AddUninstallEntry(const VString& text, UninstallEntryKind kind) {
    static const char* const kPrefixes[] = {"[File],", "[Folder],", "[Registry],", "[Shared],",
                                            "[RegisterDLL],"};
    if (kind < UninstallFile || kind > UninstallRegisterDLL || !m_uninstall) return;
    std::fprintf(m_uninstall, "%s%s\n", kPrefixes[kind], text.GetText());
    std::fflush(m_uninstall);
}

const VString& CInstallLog::GetLogPath() const {
    return *m_logPath;
}

const VString& CInstallLog::GetUninstallPath() const {
    return *m_uninstallPath;
}

VRef<CInstallLog> CInstallLog::CreateForScript(const CInstallScript& script, VObject* rowReceiver) {
    VRef<CInstallLog> log = MakeRef<CInstallLog>();
    const CInstallerVariable* name = script.FindVariable("APPLICATION_NAME");
    const CInstallerVariable* path = script.FindVariable("APPLICATION_LOGPATH");
    if (!name || !path)
        throw VException(0, nullptr,
                         "The application name or log path is NULL. Impossible to start thread without it!");
    VString applicationName(name->GetValue());
    VString logPath(path->GetValue());
    script.ExpandVariables(applicationName);
    script.ExpandVariables(logPath);
    VFileManager* files = VFileManager::Instance();
    bool created = false;
    if (!files->DirectoryExistsAtPath(logPath.GetText())) {
        if (!files->CreateFoldersAtPath(logPath.GetText(), 0777))
            throw VException(0, nullptr, "Failed to create the log file folder path");
        created = true;
    }
    log->Open(logPath, applicationName);
    log->DumpVariables(script.GetVariables());
    log->DumpPages(script.GetPages());
    log->DumpSections(script.GetSections());
    log->WriteTableHead();
    log->SetRowReceiver(rowReceiver);
    if (created) log->AddUninstallEntry(logPath, UninstallFolder);
    return log;
}
