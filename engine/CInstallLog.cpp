#include "engine/CInstallLog.h"

#include "application/VApplication.h"
#include "engine/CInstallScript.h"
#include "engine/CInstalledProducts.h"
#include "engine/CInstallerPage.h"
#include "engine/CInstallerSection.h"
#include "engine/CInstallerVariable.h"
#include "engine/CUninstaller.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLogFile.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <filesystem>
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

// True when a backslash followed by rest would be read as the start of an escape (a control byte that
// follows is itself written as one).
bool ReadAsEscape(const char* rest) {
    const unsigned char next = static_cast<unsigned char>(*rest);
    return next < 0x20 || next == 0x7f || next == '\\' || next == 'n' || next == 'r' || next == 'x';
}

std::string Escaped(const VString& text, bool doubleBackslash) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.GetLength());
    for (uint32_t i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text.GetText()[i]);
        if (c == '\\' && doubleBackslash && ReadAsEscape(text.GetText() + i + 1)) {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

VString CInstallLog::EscapeEntryText(const VString& text) {
    return VString(Escaped(text, true).c_str());
}

VString CInstallLog::EscapeRowText(const VString& text) {
    return VString(Escaped(text, false).c_str());
}

bool CInstallLog::UnescapeEntryText(const VString& text, VString& out) {
    const char* in = text.GetText();
    const uint32_t length = text.GetLength();
    std::string result;
    result.reserve(length);
    for (uint32_t i = 0; i < length; ++i) {
        if (in[i] != '\\') {
            result += in[i];
            continue;
        }
        if (i + 1 >= length) return false;
        const char kind = in[++i];
        // A backslash before any other character stands for itself (paths and registry keys keep theirs).
        if (kind == '\\') {
            result += '\\';
        } else if (kind == 'n') {
            result += '\n';
        } else if (kind == 'r') {
            result += '\r';
        } else if (kind == 'x' && i + 2 < length && HexDigit(in[i + 1]) >= 0 && HexDigit(in[i + 2]) >= 0) {
            result += static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
            i += 2;
        } else if (kind == 'x' || kind == 'n' || kind == 'r') {
            return false;
        } else {
            result += '\\';
            result += kind;
        }
    }
    out.Assign(result.c_str());
    return true;
}

CInstallLog::CInstallLog()
    : VObject(GetClassRecord()), m_logPath(VString::Alloc()), m_uninstallPath(VString::Alloc()) {}

CInstallLog::~CInstallLog() {
    Close();
    SetRowReceiver(nullptr);
    m_logPath->Release();
    m_uninstallPath->Release();
}

bool CInstallLog::Open(const VString& logFolder, const VString& applicationName) {
    m_logPath->Assign(logFolder);
    m_logPath->AppendPathComponent(VString(applicationName).Append("_installLog.log").GetText());
    m_uninstallPath->Assign(logFolder);
    m_uninstallPath->AppendPathComponent(VString(applicationName).Append("_uninstaller.kus").GetText());
    // Never through a link that someone planted at either name, and never inherited by the programs
    // that instructions start.
    VFileManager* files = VFileManager::Instance();
    m_log = files->OpenTextFileAtPath(m_logPath->GetText(), false);
    m_uninstall = files->OpenTextFileAtPath(m_uninstallPath->GetText(), true);
    if (!m_log || !m_uninstall) {
        ReportRecordFailure(m_log ? *m_uninstallPath : *m_logPath);
        return false;
    }
    WriteLog(VLogFile::CurrentDateText().c_str());
    std::fprintf(m_uninstall, "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,%s\n\n\n",
                 EscapeEntryText(applicationName).GetText());
    CheckWritten(m_uninstall, *m_uninstallPath);
    return true;
}

void CInstallLog::Close() {
    if (m_log) {
        std::fputs((BorderLine() + "\n").c_str(), m_log);
        // Whoever drops the last reference may be past waiting for an answer: no alert any more.
        if (std::fclose(m_log) != 0) m_recordFailed.store(true);
        m_log = nullptr;
    }
    CloseUninstallScript();
}

void CInstallLog::CloseUninstallScript() {
    if (m_uninstall) std::fclose(m_uninstall);
    m_uninstall = nullptr;
}

bool CInstallLog::OpenUninstallLog(const VString& path, const VString& productName,
                                   const VString& scriptPath) {
    m_logPath->Assign(path);
    m_log = VFileManager::Instance()->OpenTextFileAtPath(path.GetText(), false);
    if (!m_log) return false;
    WriteLog(VLogFile::CurrentDateText().c_str());
    std::fputs("\n\n\nUNINSTALLING ------------------------------------------------\n\n", m_log);
    std::fprintf(m_log, "%-25s\t\t%s\n", "Product", productName.GetText());
    std::fprintf(m_log, "%-25s\t\t%s\n", "Uninstall script", scriptPath.GetText());
    WriteLog((std::string(kBlockEnd) + "\n\n\n").c_str());
    WriteTableHead();
    return true;
}

void CInstallLog::WriteLog(const char* text) {
    if (!m_log) return;
    std::fputs(text, m_log);
    CheckWritten(m_log, *m_logPath);
}

void CInstallLog::CheckWritten(FILE*& file, const VString& path) {
    if (!file) return;
    if (std::fflush(file) == 0 && !std::ferror(file)) return;
    std::fclose(file);
    file = nullptr;
    ReportRecordFailure(path);
}

void CInstallLog::ReportRecordFailure(const VString& path) {
    if (m_recordFailed.exchange(true)) return;
    VApplication::AlertBox("The installation record %s could not be written.\nThe installation goes on, "
                           "but its log or uninstall script will be incomplete.",
                           path.GetText());
}

void CInstallLog::DumpVariables(const VObjectArrayTmpl<CInstallerVariable>& variables) {
    if (!m_log) return;
    std::fputs("\n\n\nVARIABLES DECLARED ------------------------------------------\n\n", m_log);
    for (CInstallerVariable* variable : variables)
        std::fprintf(m_log, "%-25s\t\t%s\n", EscapeRowText(variable->GetName()).GetText(),
                     EscapeRowText(variable->GetValue()).GetText());
    WriteLog(kBlockEnd);
}

void CInstallLog::DumpPages(const VObjectArrayTmpl<CInstallerPage>& pages) {
    if (!m_log) return;
    std::fputs("\n\n\nPAGES DECLARED ----------------------------------------------\n\n", m_log);
    for (CInstallerPage* page : pages)
        std::fprintf(m_log, "%-25s\t\t%s\n", EscapeRowText(page->GetViewType()).GetText(),
                     EscapeRowText(page->GetArgument()).GetText());
    WriteLog(kBlockEnd);
}

void CInstallLog::DumpSections(const VObjectArrayTmpl<CInstallerSection>& sections) {
    if (!m_log) return;
    std::fputs("\n\n\nSECTIONS DECLARED -------------------------------------------\n\n", m_log);
    for (CInstallerSection* section : sections)
        std::fprintf(m_log, "%-25s\t\t%-75s\t\t%-25s\n", EscapeRowText(section->GetName()).GetText(),
                     EscapeRowText(section->GetDescription()).GetText(),
                     section->IsOptional() ? "Optional" : " ");
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
    const std::string escaped = Escaped(text, false);
    if (m_log) {
        const std::string cut = escaped.substr(0, kRowTextWidth);
        std::fprintf(m_log, "|%s|%-240s|\n", marker, cut.c_str());
        CheckWritten(m_log, *m_logPath);
    }
    if (m_receiver) m_receiver->AddLogLine(VString(escaped.c_str()));
}

void CInstallLog::AddLine(const VString& text, bool succeeded) {
    if (!succeeded) ++m_failedRows;
    WriteRow(succeeded ? "         " : " Failure ", text);
}

void CInstallLog::AddException(const VString& text) {
    ++m_failedRows;
    WriteRow("Exception", text);
}

void CInstallLog::AddUninstallEntry(const VString& text, UninstallEntryKind kind) {
    static const char* const kPrefixes[] = {"[File],", "[Folder],", "[Registry],", "[Shared],",
                                            "[RegisterDLL],"};
    if (kind < UninstallFile || kind > UninstallRegisterDLL || !m_uninstall) return;
    std::fprintf(m_uninstall, "%s%s\n", kPrefixes[kind], Escaped(text, true).c_str());
    CheckWritten(m_uninstall, *m_uninstallPath);
}

const VString& CInstallLog::GetLogPath() const {
    return *m_logPath;
}

const VString& CInstallLog::GetUninstallPath() const {
    return *m_uninstallPath;
}

std::vector<std::string> CInstallLog::MissingFolders(const VString& path) {
    std::vector<std::string> missing;
    std::string folder = std::filesystem::path(path.GetText()).lexically_normal().string();
    VFileManager* files = VFileManager::Instance();
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
           !files->IsRootPath(folder.c_str()))
        folder.pop_back();
    for (std::filesystem::path at(folder); !at.empty() && !files->FileExistsAtPath(at.string().c_str());
         at = at.parent_path()) {
        missing.insert(missing.begin(), at.string());
        if (at == at.parent_path() || !at.has_relative_path()) break;
    }
    return missing;
}

void CInstallLog::AddCreatedFolders(const std::vector<std::string>& folders, const VString& lastText) {
    VFileManager* files = VFileManager::Instance();
    for (size_t i = 0; i < folders.size(); ++i) {
        if (!files->DirectoryExistsAtPath(folders[i].c_str()) ||
            !CUninstaller::RefusalReason(folders[i]).empty())
            continue;
        AddUninstallEntry(i + 1 == folders.size() ? lastText : VString(folders[i].c_str()), UninstallFolder);
    }
}

VRef<CInstallLog> CInstallLog::CreateForScript(const CInstallScript& script, VObject* rowReceiver,
                                               const std::vector<std::string>& madeBefore) {
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
    const std::vector<std::string> missing = MissingFolders(logPath);
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
    for (const std::string& folder : madeBefore)
        log->AddCreatedFolders({folder}, VString(folder.c_str()));
    if (created) log->AddCreatedFolders(missing, logPath);
    CInstalledProducts::Record(script, *log, logPath.GetText());
    return log;
}
