#pragma once

// The compressed-folder copy tests' host, recorder and fixture, shared by the portable and the POSIX-only
// tests.
#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include "engine/CInstallLog.h"
#include "engine/CSetMessageHandler.h"
#include "engine/FlacTestSupport.h"
#include "engine/IZdrcaInstallHost.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using KisTest::ReadFile;
using KisTest::TempFolder;
using VFoundation::MakeRef;
using VFoundation::VException;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

// Answers as the kit piece page does: the chosen pieces are folders of the source tree.
class TestHost : public IZdrcaInstallHost {
public:
    std::set<std::string> pieces;
    int32_t maxFiles = 1000;
    int32_t pathCount = 1;

    bool IsInstallPath(const VString& folder) override { return pieces.count(folder.GetText()) > 0; }
    bool IsOnInstallPath(const VString& folder) override {
        const std::string path = folder.GetText();
        for (const std::string& piece : pieces)
            if (piece.rfind(path, 0) == 0 || path.rfind(piece, 0) == 0) return true;
        return false;
    }
    int32_t GetMaxFilesPerFolder() override { return maxFiles; }
    int32_t GetInstallPathCount() override { return pathCount; }
};

class StatusRecorder : public CSetMessageHandler {
public:
    std::vector<std::string> texts;
    void SetMessage(const VString& text) override { texts.emplace_back(text.GetText()); }
    void RebootRequired() override {}
};

struct Row {
    std::string marker; // "", "Failure" or "Exception"
    std::string text;
};

class ZdrcaCopyDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_root.Path() / "src");
        std::filesystem::create_directories(m_root.Path() / "dst");
        std::filesystem::create_directories(m_root.Path() / "logs");
        m_log = MakeRef<CInstallLog>();
        ASSERT_TRUE(m_log->Open(VString((m_root / "logs").c_str()), VString("Zdrca")));
        m_log->WriteTableHead();
        CSetMessageHandler::SetMessageHandler(&m_status);
    }
    void TearDown() override { CSetMessageHandler::SetMessageHandler(nullptr); }

    // Paths in the native form, as the instruction hands them to the host.
    std::string Src(const std::string& relative = "") const {
        return Native(relative.empty() ? m_root / "src" : m_root / ("src/" + relative));
    }
    std::string Dst(const std::string& relative = "") const {
        return Native(relative.empty() ? m_root / "dst" : m_root / ("dst/" + relative));
    }
    static std::string Native(std::string path) {
        VFoundation::VFileManager::MakeNativePath(path.data());
        return path;
    }
    void MakeFile(const std::string& path, const std::string& content = "data") {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        KisTest::WriteFile(path, content);
    }

    VRef<CZdrcaCopyDirectoryInstruction> MakeInstruction() {
        auto instruction =
            MakeRef<CZdrcaCopyDirectoryInstruction>(VString((Src() + " , " + Dst() + " ").c_str()));
        instruction->SetLog(m_log.Get());
        instruction->SetInstallHost(&m_host);
        return instruction;
    }

    // A decoder stand-in that records the sources it was given and fails where told to.
    void UseRecordingDecoder(CZdrcaCopyDirectoryInstruction& instruction, std::vector<bool> failures = {}) {
        instruction.SetDecodeFunction([this, failures](const VString& source, const VString& destination) {
            const size_t call = m_decoded.size();
            m_decoded.push_back(std::filesystem::path(source.GetText()).filename().string());
            KisTest::WriteFile(destination.GetText(), "partial");
            return call < failures.size() && failures[call] ? 1 : 0;
        });
    }

    // A stand-in that several workers may call at once: it writes the file's name as its content, fails
    // for names holding "bad" and takes longer for some files, so that workers finish out of order.
    static CZdrcaCopyDirectoryInstruction::DecodeFunction ShuffledDecoder(std::atomic<int>* calls = nullptr) {
        return [calls](const VString& source, const VString& destination) {
            const std::string name = std::filesystem::path(source.GetText()).filename().string();
            if (calls) ++*calls;
            std::this_thread::sleep_for(std::chrono::milliseconds(name.size() % 3 * 3));
            KisTest::WriteFile(destination.GetText(), name);
            return name.find("bad") != std::string::npos ? 1 : 0;
        };
    }

    // Every file below the destination, with the temporary files an interrupted run would leave.
    std::vector<std::string> InstalledFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Dst()))
            if (!entry.is_directory()) files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        std::istringstream lines(KisTest::ReadText(m_log->GetLogPath().GetText()));
        bool inTable = false;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("|  Error  |", 0) == 0) {
                inTable = true;
                continue;
            }
            if (!inTable || line.size() != 252 || line[0] != '|' || line[1] == '-') continue;
            std::string marker = line.substr(1, 9);
            marker.erase(0, marker.find_first_not_of(' '));
            marker.erase(marker.find_last_not_of(' ') + 1);
            std::string text = line.substr(11, 240);
            text.erase(text.find_last_not_of(' ') + 1);
            rows.push_back({marker, text});
        }
        return rows;
    }

    std::vector<std::string> UninstallEntries() const {
        std::vector<std::string> entries;
        std::istringstream lines(KisTest::ReadText(m_log->GetUninstallPath().GetText()));
        for (std::string line; std::getline(lines, line);)
            if (!line.empty() && line[0] == '[') entries.push_back(KisTest::UnescapedEntry(line));
        return entries;
    }

    TempFolder m_root;
    VRef<CInstallLog> m_log;
    TestHost m_host;
    StatusRecorder m_status;
    std::vector<std::string> m_decoded;
};

} // namespace
