#pragma once

#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/IInstallerInstruction.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace KisTest {

// One table row of the install log: its marker ("         ", " Failure " or "Exception") and its text
// without the padding.
struct LogRow {
    std::string marker;
    std::string text;
    bool succeeded() const { return marker == "         "; }
};

// An uninstall script line as the uninstaller reads it (a Windows path's "\\r" is written escaped).
inline std::string UnescapedEntry(const std::string& line) {
    VFoundation::VString text;
    if (!CInstallLog::UnescapeEntryText(VFoundation::VString(line.c_str()), text)) return line;
    return text.GetText();
}

// An install log opened in its own temporary folder, read back from the files it writes.
class TestLog {
public:
    TestLog() : m_log(VFoundation::MakeRef<CInstallLog>()) {
        EXPECT_TRUE(m_log->Open(VFoundation::VString(m_folder.Text().c_str()), "Test"));
        m_log->WriteTableHead();
    }

    CInstallLog* Get() const { return m_log.Get(); }

    std::vector<LogRow> Rows() const {
        std::vector<LogRow> rows;
        std::ifstream in(m_log->GetLogPath().GetText());
        for (std::string line; std::getline(in, line);) {
            if (line.size() != 252 || line[0] != '|' || line[10] != '|' ||
                line.compare(0, 11, "|  Error  |") == 0)
                continue;
            std::string text = line.substr(11, 240);
            text.erase(text.find_last_not_of(' ') + 1);
            rows.push_back({line.substr(1, 9), text});
        }
        return rows;
    }

    // The uninstall script's entries (the lines after its five head lines), unescaped as the uninstaller
    // reads them.
    std::vector<std::string> UninstallEntries() const {
        std::vector<std::string> entries;
        std::ifstream in(m_log->GetUninstallPath().GetText());
        int number = 0;
        for (std::string line; std::getline(in, line);)
            if (++number > 5) entries.push_back(UnescapedEntry(line));
        return entries;
    }

private:
    TempFolder m_folder;
    VFoundation::VRef<CInstallLog> m_log;
};

// Runs instruction with log set, as the installer thread does.
// An instruction's argument text: two paths and, when given, the rest.
inline std::string Args(const std::string& a, const std::string& b, const char* rest = nullptr) {
    return a + ", " + b + (rest ? std::string(", ") + rest : std::string());
}

inline bool RunLogged(IInstallerInstruction& instruction, TestLog& log) {
    instruction.SetLog(log.Get());
    const bool result = instruction.Execute();
    instruction.SetLog(nullptr);
    return result;
}

template <typename T> VFoundation::VRef<T> Make(const char* arguments) {
    return VFoundation::MakeRef<T>(VFoundation::VString(arguments));
}

// The description of the VException that making T from arguments throws, or "" when none is thrown.
template <typename T> std::string ConstructionError(const char* arguments) {
    try {
        Make<T>(arguments);
    } catch (const VFoundation::VException& exception) {
        EXPECT_EQ(exception.GetId(), 0);
        // The instruction is gone by now; the description still names its class.
        VFoundation::VString description;
        exception.GetDescription(description);
        EXPECT_EQ(std::string(description.GetText()),
                  std::string("Exception id: 0 src: ") + T::GetClassRecord()->GetName() +
                      " descr: " + exception.GetDescriptionText().GetText());
        return exception.GetDescriptionText().GetText();
    }
    return "";
}

// What a program run wrote to standard error itself: a sanitizer build appends its own report once the
// program has ended.
inline std::string ProgramErrors(const std::string& errors) {
    const size_t report =
        errors.find("-----------------------------------------------------\nSuppressions used:");
    return report == std::string::npos ? errors : errors.substr(0, report);
}

inline std::string Row(const char* format, const std::string& a, const std::string& b = "",
                       const std::string& c = "") {
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str(), c.c_str());
    return buffer;
}

} // namespace KisTest
