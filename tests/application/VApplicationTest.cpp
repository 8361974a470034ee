#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "foundation/VFoundation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace VApplication;
using VFoundation::VString;

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_responder = std::make_shared<ScriptedResponder>();
        m_backend = std::make_shared<HeadlessBackend>(m_responder);
        SetBackend(m_backend);
    }
    void TearDown() override { SetBackend(nullptr); }

    std::shared_ptr<ScriptedResponder> m_responder;
    std::shared_ptr<HeadlessBackend> m_backend;
};

TEST(ApplicationNames, DefaultApplicationNameCutsTheExtensionOnly) {
    EXPECT_STREQ(MakeDefaultApplicationName("Setup.1.5.exe").GetText(), "Setup.1.5");
    EXPECT_STREQ(MakeDefaultApplicationName("Setup.1.5").GetText(), "Setup.1.5");
    EXPECT_STREQ(MakeDefaultApplicationName("kis-installer").GetText(), "kis-installer");
    EXPECT_STREQ(MakeDefaultApplicationName("install.sh").GetText(), "install");
    EXPECT_STREQ(MakeDefaultApplicationName(".hidden").GetText(), ".hidden");
    EXPECT_STREQ(MakeDefaultApplicationName("").GetText(), "");
}

TEST_F(ApplicationTest, PostedTasksRunInOrderOnTheLoopThread) {
    std::vector<int> order;
    std::atomic<bool> offThread{false};
    std::thread poster([&] {
        for (int i = 0; i < 200; ++i) {
            PostToUIThread([&order, &offThread, i] {
                if (!IsUIThread()) offThread = true;
                order.push_back(i);
            });
        }
        Quit(7);
        // Posted after the quit request: left for the next loop.
        PostToUIThread([&order] { order.push_back(-1); });
    });
    EXPECT_EQ(RunMessageLoop(), 7);
    poster.join();
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(order[i], i);
    EXPECT_FALSE(offThread);

    Quit();
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(order.back(), -1);
}

TEST_F(ApplicationTest, ConfirmFromAnotherThreadRunsOnTheUIThreadAndAnswersTheCaller) {
    std::atomic<int> askedOnUIThread{0};
    m_responder->SetCallback([&](const DialogRequest& request) {
        if (IsUIThread()) ++askedOnUIThread;
        return request.text == "Overwrite?" ? DialogAnswer::Yes() : DialogAnswer::No();
    });
    bool first = false;
    bool second = true;
    int alert = 0;
    std::thread worker([&] {
        EXPECT_FALSE(IsUIThread());
        first = ConfirmBox("Overwrite?");
        second = ConfirmBox("Delete?");
        alert = AlertBox("Copied %d of %d files", 3, 4);
        Quit(0);
    });
    EXPECT_EQ(RunMessageLoop(), 0);
    worker.join();
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(alert, kAlertOK);
    EXPECT_EQ(askedOnUIThread, 3);
    const auto requests = m_responder->GetRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, DialogKind::Confirm);
    EXPECT_STREQ(requests[0].caption.GetText(), "Confirm:");
    EXPECT_EQ(requests[2].kind, DialogKind::Alert);
    EXPECT_STREQ(requests[2].caption.GetText(), "Alert");
    EXPECT_STREQ(requests[2].text.GetText(), "Copied 3 of 4 files");
}

TEST_F(ApplicationTest, AlertsOnTheUIThreadRunDirectlyAndFoundationAlertsReachThem) {
    EXPECT_EQ(AlertBox("%s", std::string(3000, 'x').c_str()), kAlertOK);
    EXPECT_EQ(VFoundation::Alert("Please now reboot your computer!"), kAlertOK);
    const auto requests = m_responder->GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    // The alert box formats into 2,080 bytes.
    EXPECT_EQ(requests[0].text.GetLength(), 2079u);
    EXPECT_STREQ(requests[1].text.GetText(), "Please now reboot your computer!");
    EXPECT_EQ(m_responder->GetUnexpectedCount(), 2);
}

TEST_F(ApplicationTest, FileDialogsPassTheirDefaultsAndReturnTheAnswer) {
    m_responder->Push(DialogAnswer::Path("/media/Installer/InstallScript.kis"));
    m_responder->Push(DialogAnswer::Cancel());
    m_responder->Push(DialogAnswer::Path("/tmp/out"));
    m_responder->Push(DialogAnswer::Path("/opt"));

    EXPECT_STREQ(OpenFileDialog("Please choose the install script", "/media",
                                "Installer files (*.KIS)\0*.KIS\0Text\0*.txt\0")
                     .GetText(),
                 "/media/Installer/InstallScript.kis");
    EXPECT_TRUE(OpenFileDialog().IsEmpty());
    EXPECT_STREQ(SaveFileDialog().GetText(), "/tmp/out");
    EXPECT_STREQ(FolderDialog(nullptr, "Where to install?", 0x41).GetText(), "/opt");

    const auto requests = m_responder->GetRequests();
    ASSERT_EQ(requests.size(), 4u);
    ASSERT_EQ(requests[0].filters.size(), 2u);
    EXPECT_STREQ(requests[0].filters[0].description.GetText(), "Installer files (*.KIS)");
    EXPECT_STREQ(requests[0].filters[0].pattern.GetText(), "*.KIS");
    EXPECT_STREQ(requests[0].filters[1].pattern.GetText(), "*.txt");
    EXPECT_STREQ(requests[0].initialPath.GetText(), "/media");
    EXPECT_STREQ(requests[1].text.GetText(), "Choose a file:");
    ASSERT_EQ(requests[1].filters.size(), 1u);
    EXPECT_STREQ(requests[1].filters[0].description.GetText(), "All Files (*.*)");
    EXPECT_EQ(requests[2].kind, DialogKind::SaveFile);
    EXPECT_STREQ(requests[2].presetName.GetText(), "unnamed");
    EXPECT_EQ(requests[3].kind, DialogKind::Folder);
    EXPECT_EQ(requests[3].flags, 0x41u);
}

TEST_F(ApplicationTest, ManualClockFiresDueTimersInOrderAndFalseStopsATimer) {
    m_backend->SetManualClock(true);
    const uint64_t start = m_backend->GetClockTime();
    std::vector<std::string> fired;
    auto stamp = [&](const char* name) {
        fired.push_back(std::string(name) + "@" + std::to_string(m_backend->GetClockTime() - start));
    };
    int countdown = 2;
    StartTimer(100, [&] { return stamp("a"), true; });
    StartTimer(250, [&] { return stamp("b"), --countdown > 0; });
    const TimerId c = StartTimer(100, [&] { return stamp("c"), true; });

    m_backend->AdvanceClock(99);
    EXPECT_TRUE(fired.empty());
    m_backend->AdvanceClock(1);
    m_backend->AdvanceClock(500);
    const std::vector<std::string> expected = {"a@100", "c@100", "a@200", "c@200", "b@250", "a@300", "c@300",
                                               "a@400", "c@400", "a@500", "b@500", "c@500", "a@600", "c@600"};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(m_backend->GetClockTime() - start, 600u);
    // b returned false on its second call and is gone.
    EXPECT_EQ(m_backend->GetTimerCount(), 2u);

    EXPECT_TRUE(StopTimer(c));
    EXPECT_FALSE(StopTimer(c));
    fired.clear();
    m_backend->AdvanceClock(100);
    EXPECT_EQ(fired, std::vector<std::string>{"a@700"});
}

TEST_F(ApplicationTest, TimerMayStopItselfAndOthersFromItsCallback) {
    m_backend->SetManualClock(true);
    int aCalls = 0;
    int bCalls = 0;
    TimerId b = 0;
    TimerId a = 0;
    a = StartTimer(10, [&] {
        ++aCalls;
        StopTimer(b);
        StopTimer(a);
        return true;
    });
    b = StartTimer(10, [&] { return ++bCalls, true; });
    m_backend->AdvanceClock(100);
    EXPECT_EQ(aCalls, 1);
    EXPECT_EQ(bCalls, 0);
    EXPECT_EQ(m_backend->GetTimerCount(), 0u);
}

TEST_F(ApplicationTest, RealClockLoopFiresTimersUntilQuit) {
    int ticks = 0;
    StartTimer(5, [&] {
        if (++ticks == 3) Quit(3);
        return ticks < 3;
    });
    EXPECT_EQ(RunMessageLoop(), 3);
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(m_backend->GetClockTime(), 15u);
}

TEST_F(ApplicationTest, SilentResponderAnswersFromItsOptionsAndWritesOneLinePerDialog) {
    SilentResponder::Options options;
    options.confirmAnswer = false;
    options.folderPath = "/opt/product";
    m_backend->SetResponder(std::make_shared<SilentResponder>(options));

    ::testing::internal::CaptureStderr();
    AlertBox("Failed to parse the installation script.\nCannot continue with execution.");
    const bool confirmed = ConfirmBox("Replace the file?");
    const VString folder = FolderDialog(nullptr, "Install location");
    const VString file = OpenFileDialog("Please choose the install script");
    const std::string written = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(confirmed);
    EXPECT_STREQ(folder.GetText(), "/opt/product");
    EXPECT_TRUE(file.IsEmpty());
    EXPECT_EQ(written, "Alert: Failed to parse the installation script.\\nCannot continue with execution.\n"
                       "Confirm: Replace the file? -> no\n"
                       "Folder: Install location -> /opt/product\n"
                       "Open: Please choose the install script -> cancelled\n");

    m_backend->SetResponder(std::make_shared<SilentResponder>());
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(ConfirmBox("Continue?"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Confirm: Continue? -> yes\n");
}

TEST(ApplicationIcon, GivesTheIconFileWhenItHoldsTheIndex) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("kis-icon-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    const std::string ico = (folder / "Icon.ico").string();
    const std::string png = (folder / "Icon.png").string();
    {
        std::ofstream out(ico, std::ios::binary);
        const unsigned char head[6] = {0, 0, 1, 0, 2, 0};
        out.write(reinterpret_cast<const char*>(head), sizeof head);
        std::ofstream(png, std::ios::binary) << "\x89PNG";
    }
    EXPECT_STREQ(GetIcon(ico.c_str(), 0).GetText(), ico.c_str());
    EXPECT_STREQ(GetIcon(ico.c_str(), 1).GetText(), ico.c_str());
    EXPECT_TRUE(GetIcon(ico.c_str(), 2).IsEmpty());
    EXPECT_STREQ(GetIcon(png.c_str(), 0).GetText(), png.c_str());
    EXPECT_TRUE(GetIcon(png.c_str(), 1).IsEmpty());
    EXPECT_TRUE(GetIcon((folder / "missing.ico").string().c_str(), 0).IsEmpty());
    std::filesystem::remove_all(folder);
}

} // namespace
