#include "foundation/VLog.h"
#include "foundation/VLogFile.h"
#include "foundation/VRef.h"
#include "foundation/VStopWatch.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace VFoundation;

namespace {

// Read as text: where the runtime ends lines with CR LF, they come back as LF.
std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           (std::string("kis-") + std::to_string(getpid()) + "-" + name);
}

// Runs body with the standard error stream sent to a file and returns what was written.
template <typename Body> std::string CaptureStandardError(Body body) {
    const auto path = TempFile("stderr");
    std::fflush(stderr);
    const int saved = dup(2);
    FILE* file = std::fopen(path.string().c_str(), "w");
    dup2(fileno(file), 2);
    body();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(file);
    std::string text = ReadAll(path);
    std::filesystem::remove(path);
    return text;
}

} // namespace

TEST(VLog, ConsoleAddsAMissingLineFeed) {
    VRef<VLog> log = MakeRef<VLog>();
    const std::string text = CaptureStandardError([&] {
        log->Write("no line feed");
        log->Write("has one\n");
        log->Write("");
    });
    EXPECT_EQ(text, "no line feed\nhas one\n");
}

TEST(VLog, LogPrintfWritesArgumentsVerbatimWithIndentationAndTimerPrefix) {
    KisTest::LogCapture capture;
    LogPrintf("value %s\n", "100% sure");
    EXPECT_EQ(capture.Text(), "value 100% sure\n");

    capture.Clear();
    GetLog()->SetIndentation(3);
    LogPrintf("indented\n");
    GetLog()->SetIndentation(0);
    EXPECT_EQ(capture.Text(), "   indented\n");

    capture.Clear();
    VRef<VStopWatch> watch = MakeRef<VStopWatch>();
    GetLog()->PushTimer(watch.Get());
    LogPrintf("timed\n");
    GetLog()->PopTimer();
    EXPECT_TRUE(std::regex_match(capture.Text(), std::regex("[0-9]\\.[0-9]{4} timed\n"))) << capture.Text();
}

TEST(VLog, LongMessagesAreWrittenWhole) {
    KisTest::LogCapture capture;
    const std::string big(3000, 'q');
    LogPrintf("%s\n", big.c_str());
    EXPECT_EQ(capture.Text(), big + "\n");
}

TEST(VLog, SeparatorIsSeventyEightHyphens) {
    KisTest::LogCapture capture;
    GetLog()->WriteSeparator();
    EXPECT_EQ(capture.Text(), std::string(78, '-') + "\n");
}

TEST(VLog, LogObjectWritesTheDescriptionWithALineFeed) {
    KisTest::LogCapture capture;
    VString s("hidden");
    LogObject(&s);
    EXPECT_EQ(capture.Text(), "[VString] \n");
}

TEST(VLogFile, WritesVerbatimAfterTheDateLine) {
    const auto path = TempFile("log.txt");
    {
        VRef<VLogFile> file = MakeRef<VLogFile>(path.string().c_str());
        ASSERT_TRUE(file->IsOpen());
        EXPECT_FALSE(file->Open(path.string().c_str()));
        file->Write(" first");
        file->Write(" second\n");
        EXPECT_TRUE(file->Close());
        EXPECT_FALSE(file->Close());
    }
    const std::string text = ReadAll(path);
    std::filesystem::remove(path);
    EXPECT_TRUE(std::regex_match(
        text,
        std::regex("(Sun|Mon|Tue|Wed|Thu|Fri|Sat) [A-Z][a-z]{2} [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] "
                   "[0-9]{4} first second\n")))
        << text;
}

TEST(VLogFile, UnopenableFileLeavesTheConsole) {
    VRef<VLogFile> file = MakeRef<VLogFile>("/nonexistent-folder/for/sure/log.txt");
    EXPECT_FALSE(file->IsOpen());
    const std::string text = CaptureStandardError([&] { file->Write("to the console"); });
    EXPECT_EQ(text, "to the console\n");
}
