#include "ui/CProgressReporter.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(ProgressReporter, LinesRiseAtMostTwiceASecondAndEndAtOneHundred) {
    KisTest::TempFolder folder;
    const std::string path = folder / "progress.txt";
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    CProgressReporter reporter(out);
    const auto start = std::chrono::steady_clock::now();
    const auto at = [start](int ms) { return start + std::chrono::milliseconds(ms); };
    reporter.Report(0.0f, "Unpacking: a/b/c/x.zdrca", at(0));
    reporter.Report(0.10f, "too soon", at(100));
    reporter.Report(0.124f, "Unpacking: a/b/c/y.zdrca", at(600));
    reporter.Report(0.05f, "backwards", at(1200));
    reporter.Report(0.129f, "same percentage", at(1800));
    reporter.Report(1.0f, "", at(2400));
    reporter.Finish();
    std::fclose(out);
    EXPECT_EQ(KisTest::ReadFile(path), "Progress: 0% Unpacking: a/b/c/x.zdrca\n"
                                       "Progress: 12% Unpacking: a/b/c/y.zdrca\n"
                                       "Progress: 99%\n"
                                       "Progress: 100%\n");
}

} // namespace
