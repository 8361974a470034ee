#include "engine/CUninstallScript.h"

#include "engine/CInstallLog.h"
#include "foundation/FilePlatform.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "foundation/VString.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

using namespace VFoundation;

V_IMPLEMENT_CLASS(CUninstallScript, VObject)

namespace {

const char* const kHeader = "{KestrawinInstallSystem}";
const char* const kTag = "{UninstallScript}";
const char* const kNamePrefix = "APPLICATION_NAME,";

struct EntryPrefix {
    const char* text;
    UninstallEntryKind kind;
};
const EntryPrefix kPrefixes[] = {{"[File],", UninstallFile},
                                 {"[Folder],", UninstallFolder},
                                 {"[Registry],", UninstallRegistry},
                                 {"[Shared],", UninstallShared},
                                 {"[RegisterDLL],", UninstallRegisterDLL}};

std::string Trimmed(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1);
}

void ReadEntry(const std::string& line, CUninstallScript::Entry& entry) {
    for (const EntryPrefix& prefix : kPrefixes) {
        const size_t length = std::char_traits<char>::length(prefix.text);
        if (line.compare(0, length, prefix.text) != 0) continue;
        VString text;
        if (!CInstallLog::UnescapeEntryText(VString(line.c_str() + length), text)) return;
        entry.kind = prefix.kind;
        entry.text = text.GetText();
        return;
    }
}

} // namespace

CUninstallScript::CUninstallScript() : VObject(GetClassRecord()) {}

CUninstallScript::~CUninstallScript() = default;

CUninstallScript::LoadResult CUninstallScript::Load(const char* path) {
    m_heads.clear();
    m_entries.clear();
    m_productName.clear();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path ? path : "", error);
    m_path = error ? std::string(path ? path : "") : absolute.lexically_normal().string();
    FilePlatform::Status status;
    if (!path || !FilePlatform::GetStatus(m_path.c_str(), status) || status.isDirectory)
        return LoadResult::Missing;
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return LoadResult::Missing;

    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (lines.size() < 2 || Trimmed(lines[0]) != kHeader || Trimmed(lines[1]) != kTag)
        return LoadResult::NotUninstallScript;

    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string trimmed = Trimmed(lines[i]);
        if (trimmed.empty()) continue;
        if (trimmed == kHeader && i + 1 < lines.size() && Trimmed(lines[i + 1]) == kTag) {
            m_heads.emplace_back(kNamePrefix);
            ++i;
            continue;
        }
        if (lines[i].compare(0, std::char_traits<char>::length(kNamePrefix), kNamePrefix) == 0) {
            m_heads.back() = lines[i];
            if (m_productName.empty())
                m_productName = Trimmed(lines[i].substr(std::char_traits<char>::length(kNamePrefix)));
            continue;
        }
        Entry entry;
        entry.line = lines[i];
        entry.head = m_heads.size() - 1;
        ReadEntry(lines[i], entry);
        m_entries.push_back(std::move(entry));
    }
    // Without a name line the file's own name tells it: "<name>_uninstaller.kus".
    if (m_productName.empty()) {
        m_productName = std::filesystem::path(m_path).stem().string();
        const std::string suffix = "_uninstaller";
        if (m_productName.size() > suffix.size() &&
            m_productName.compare(m_productName.size() - suffix.size(), suffix.size(), suffix) == 0)
            m_productName.resize(m_productName.size() - suffix.size());
    }
    return LoadResult::Loaded;
}

std::string CUninstallScript::GetFolder() const {
    return std::filesystem::path(m_path).parent_path().string();
}

size_t CUninstallScript::GetRemainingCount() const {
    size_t count = 0;
    for (const Entry& entry : m_entries)
        if (!entry.done) ++count;
    return count;
}

bool CUninstallScript::Save() const {
    if (GetRemainingCount() == 0) {
        const FilePlatform::RemoveResult result = FilePlatform::RemoveFile(m_path.c_str());
        return result == FilePlatform::RemoveResult::Removed ||
               result == FilePlatform::RemoveResult::NotFound;
    }
    const std::filesystem::path script(m_path);
    const std::string temporary =
        (script.parent_path() / (std::string(VFileManager::kTemporaryPrefix) + script.filename().string()))
            .string();
    // Made anew, never through whatever may have been left or put at that name.
    FilePlatform::RemoveFile(temporary.c_str());
    FILE* out = std::fopen(temporary.c_str(), "wx");
    if (!out) {
        LogPrintf("Cannot write the uninstall script %s\n", temporary.c_str());
        return false;
    }
    size_t head = m_heads.size();
    for (const Entry& entry : m_entries) {
        if (entry.done) continue;
        if (entry.head != head) {
            head = entry.head;
            std::fprintf(out, "%s\n%s\n%s\n\n\n", kHeader, kTag, m_heads[head].c_str());
        }
        std::fprintf(out, "%s\n", entry.line.c_str());
    }
    const bool written = std::fflush(out) == 0 && !std::ferror(out);
    if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), m_path.c_str()) != 0) {
        FilePlatform::RemoveFile(temporary.c_str());
        LogPrintf("Cannot replace the uninstall script %s\n", m_path.c_str());
        return false;
    }
    return true;
}
