#include "application/BackendFactory.h"
#include "application/VApplication.h"

#include <gtest/gtest.h>

#if KIS_HAVE_GTK

#include "application/platform/gtk/GtkBackend.h"

#include <gtk/gtk.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace VApplication;
using VFoundation::VString;

namespace {

// Opens GTK once for the process; false without a display (run the tests under xvfb-run).
bool HaveDisplay() {
    static const bool available = [] {
        const char* display = std::getenv("DISPLAY");
        return display && *display && MakeDesktopBackend() != nullptr;
    }();
    return available;
}

GtkWidget* FindShownDialog() {
    GList* toplevels = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* node = toplevels; node && !found; node = node->next) {
        GtkWidget* widget = GTK_WIDGET(node->data);
        if (GTK_IS_DIALOG(widget) && gtk_widget_get_mapped(widget)) found = widget;
    }
    g_list_free(toplevels);
    return found;
}

std::string MessageText(GtkWidget* dialog) {
    gchar* text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

class GtkBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveDisplay()) {
            // scripts/xvfb-test.sh sets it: there, a display that GTK cannot open is a failure.
            const char* display = std::getenv("DISPLAY");
            if (std::getenv("KIS_EXPECT_DISPLAY"))
                FAIL() << "GTK cannot open the display " << (display ? display : "(none)");
            GTEST_SKIP() << "no display: run under scripts/xvfb-test.sh";
        }
        m_backend = std::make_shared<GtkBackend>();
    }

    // Answers the next dialog from a timer of the user-interface thread: act runs on each tick while a dialog
    // is shown and returns true once it has answered it. Gives up (and fails) after about ten seconds.
    void AnswerNextDialog(std::function<bool(GtkWidget*)> act) {
        auto ticks = std::make_shared<int>(0);
        m_backend->StartTimer(10, [this, act, ticks] {
            m_answeredOnThread = std::this_thread::get_id();
            if (++*ticks > 1000) {
                ADD_FAILURE() << "no dialog was answered";
                return false;
            }
            GtkWidget* dialog = FindShownDialog();
            return !(dialog && act(dialog));
        });
    }

    std::shared_ptr<GtkBackend> m_backend;
    std::thread::id m_answeredOnThread;
};

TEST_F(GtkBackendTest, PostedTasksRunInOrderAndQuitWaitsBehindThem) {
    const std::thread::id uiThread = std::this_thread::get_id();
    std::vector<int> order;
    std::atomic<bool> offThread{false};
    std::thread poster([&] {
        for (int i = 0; i < 2000; ++i) {
            m_backend->Post([&order, &offThread, uiThread, i] {
                if (std::this_thread::get_id() != uiThread) offThread = true;
                order.push_back(i);
            });
        }
        m_backend->Quit(7);
        // Behind the quit request: left for the next loop.
        m_backend->Post([&order] { order.push_back(-1); });
    });
    EXPECT_EQ(m_backend->RunMessageLoop(), 7);
    poster.join();
    ASSERT_EQ(order.size(), 2000u);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(order[i], i);
    EXPECT_FALSE(offThread);

    // A quit requested while no loop runs ends the next one, after the task queued before it.
    m_backend->Quit(3);
    EXPECT_EQ(m_backend->RunMessageLoop(), 3);
    EXPECT_EQ(order.back(), -1);
    EXPECT_EQ(m_backend->GetLoopDepth(), 0u);
}

TEST_F(GtkBackendTest, NestedLoopEndsAtItsQuitAndTheOuterLoopGoesOn) {
    std::vector<std::string> events;
    m_backend->Post([&] {
        m_backend->Post(
            [&] { events.push_back("inner task at depth " + std::to_string(m_backend->GetLoopDepth())); });
        m_backend->Quit(5);
        m_backend->Post(
            [&] { events.push_back("outer task at depth " + std::to_string(m_backend->GetLoopDepth())); });
        events.push_back("inner loop returned " + std::to_string(m_backend->RunMessageLoop()));
        m_backend->Quit(9);
    });
    EXPECT_EQ(m_backend->RunMessageLoop(), 9);
    const std::vector<std::string> expected = {"inner task at depth 2", "inner loop returned 5",
                                               "outer task at depth 1"};
    EXPECT_EQ(events, expected);
}

TEST_F(GtkBackendTest, TimerReturningFalseFiresOnceAndStoppedTimersStayStopped) {
    int once = 0;
    int selfStopped = 0;
    int ticks = 0;
    const TimerId onceId = m_backend->StartTimer(1, [&] { return ++once, false; });
    TimerId selfId = 0;
    selfId = m_backend->StartTimer(1, [&] {
        ++selfStopped;
        EXPECT_TRUE(m_backend->StopTimer(selfId));
        return true;
    });
    const TimerId ticker = m_backend->StartTimer(20, [&] {
        if (++ticks == 3) m_backend->Quit(0);
        return true;
    });
    EXPECT_NE(onceId, 0u);
    EXPECT_NE(onceId, selfId);
    EXPECT_EQ(m_backend->RunMessageLoop(), 0);

    EXPECT_EQ(once, 1);
    EXPECT_EQ(selfStopped, 1);
    EXPECT_GE(ticks, 3);
    EXPECT_FALSE(m_backend->StopTimer(onceId));
    EXPECT_FALSE(m_backend->StopTimer(selfId));
    EXPECT_TRUE(m_backend->StopTimer(ticker));
    EXPECT_EQ(m_backend->GetTimerCount(), 0u);
}

TEST_F(GtkBackendTest, AlertShowsItsCaptionAndTextWithoutOwnerAndAnswersOK) {
    std::string title;
    std::string text;
    bool modal = false;
    bool owned = true;
    AnswerNextDialog([&](GtkWidget* dialog) {
        title = gtk_window_get_title(GTK_WINDOW(dialog));
        text = MessageText(dialog);
        modal = gtk_window_get_modal(GTK_WINDOW(dialog));
        owned = gtk_window_get_transient_for(GTK_WINDOW(dialog)) != nullptr;
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        return true;
    });
    // Neither a format nor markup, and an 8-bit text that is not UTF-8 is read as Windows-1252.
    EXPECT_EQ(m_backend->ShowAlert("Alert", "100% <b>done</b> %s caf\xe9"), kAlertOK);
    EXPECT_EQ(title, "Alert");
    EXPECT_EQ(text, "100% <b>done</b> %s caf\xc3\xa9");
    EXPECT_TRUE(modal);
    EXPECT_FALSE(owned);
    EXPECT_EQ(m_answeredOnThread, std::this_thread::get_id());
}

TEST_F(GtkBackendTest, ConfirmIsYesOnlyForOK) {
    std::string title;
    AnswerNextDialog([&](GtkWidget* dialog) {
        title = gtk_window_get_title(GTK_WINDOW(dialog));
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        return true;
    });
    EXPECT_TRUE(m_backend->ShowConfirm("Confirm:", "Overwrite?"));
    EXPECT_EQ(title, "Confirm:");

    AnswerNextDialog([](GtkWidget* dialog) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return true;
    });
    EXPECT_FALSE(m_backend->ShowConfirm("Confirm:", "Overwrite?"));

    // The window's close button.
    AnswerNextDialog([](GtkWidget* dialog) {
        gtk_window_close(GTK_WINDOW(dialog));
        return true;
    });
    EXPECT_FALSE(m_backend->ShowConfirm("Confirm:", "Overwrite?"));
}

TEST_F(GtkBackendTest, ConfirmAskedOnAnotherThreadIsShownOnTheUIThread) {
    SetBackend(m_backend);
    std::string text;
    AnswerNextDialog([&](GtkWidget* dialog) {
        text = MessageText(dialog);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        return true;
    });
    std::atomic<bool> answer{false};
    std::thread worker([&] {
        answer = ConfirmBox("Replace the existing file?");
        Quit(4);
    });
    EXPECT_EQ(VApplication::RunMessageLoop(), 4);
    worker.join();
    SetBackend(nullptr);
    EXPECT_TRUE(answer);
    EXPECT_EQ(text, "Replace the existing file?");
    EXPECT_EQ(m_answeredOnThread, std::this_thread::get_id());
}

class GtkFileDialogTest : public GtkBackendTest {
protected:
    void SetUp() override {
        GtkBackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        m_folder =
            std::filesystem::temp_directory_path() / ("kis-gtk-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(m_folder);
        std::ofstream(m_folder / "InstallScript.kis") << "[Variables]\n";
    }
    void TearDown() override {
        std::error_code ignored;
        if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
    }

    static std::string CurrentFolder(GtkWidget* dialog) {
        gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog));
        std::string result = folder ? folder : "";
        g_free(folder);
        return result;
    }

    std::filesystem::path m_folder;
};

TEST_F(GtkFileDialogTest, OpenDialogFiltersRegardlessOfCaseAndReturnsTheChosenFile) {
    const std::string script = (m_folder / "InstallScript.kis").string();
    FileDialogRequest request;
    request.title = "Please choose the install script";
    request.initialPath = m_folder.c_str();
    request.filters = ParseFileFilter("Installer files (*.KIS)\0*.KIS\0");
    std::string title;
    std::string folder;
    std::string filterName;
    bool filterTakesScript = false;
    bool filterTakesText = true;
    GtkFileChooserAction action = GTK_FILE_CHOOSER_ACTION_SAVE;
    bool selecting = false;
    AnswerNextDialog([&](GtkWidget* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        if (!selecting) {
            // The chooser changes folder once it has read the folder's information.
            folder = CurrentFolder(dialog);
            if (folder.empty()) return false;
            title = gtk_window_get_title(GTK_WINDOW(dialog));
            action = gtk_file_chooser_get_action(chooser);
            GtkFileFilter* filter = gtk_file_chooser_get_filter(chooser);
            if (filter) {
                filterName = gtk_file_filter_get_name(filter);
                GtkFileFilterInfo info = {};
                info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
                info.display_name = "InstallScript.kis";
                filterTakesScript = gtk_file_filter_filter(filter, &info);
                info.display_name = "readme.txt";
                filterTakesText = gtk_file_filter_filter(filter, &info);
            }
            gtk_file_chooser_set_filename(chooser, script.c_str());
            selecting = true;
            return false;
        }
        // The chooser selects a file once its folder is loaded.
        gchar* chosen = gtk_file_chooser_get_filename(chooser);
        const bool ready = chosen && script == chosen;
        g_free(chosen);
        if (ready) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        return ready;
    });
    EXPECT_STREQ(m_backend->ShowOpenFileDialog(request).GetText(), script.c_str());
    EXPECT_EQ(title, "Please choose the install script");
    EXPECT_EQ(action, GTK_FILE_CHOOSER_ACTION_OPEN);
    EXPECT_TRUE(std::filesystem::equivalent(folder, m_folder)) << folder;
    EXPECT_EQ(filterName, "Installer files (*.KIS)");
    EXPECT_TRUE(filterTakesScript);
    EXPECT_FALSE(filterTakesText);

    AnswerNextDialog([](GtkWidget* dialog) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return true;
    });
    EXPECT_TRUE(m_backend->ShowOpenFileDialog(request).IsEmpty());
}

TEST_F(GtkFileDialogTest, SaveDialogProposesThePresetNameAndAsksBeforeOverwriting) {
    FileDialogRequest request;
    request.title = "Save as";
    request.initialPath = m_folder.c_str();
    request.presetName = "unnamed";
    request.filters = ParseFileFilter(nullptr);
    std::string name;
    bool confirmsOverwrite = false;
    AnswerNextDialog([&](GtkWidget* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        if (CurrentFolder(dialog).empty()) return false;
        gchar* current = gtk_file_chooser_get_current_name(chooser);
        name = current ? current : "";
        g_free(current);
        confirmsOverwrite = gtk_file_chooser_get_do_overwrite_confirmation(chooser);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        return true;
    });
    const VString chosen = m_backend->ShowSaveFileDialog(request);
    EXPECT_EQ(name, "unnamed");
    EXPECT_TRUE(confirmsOverwrite);
    EXPECT_EQ(std::filesystem::path(chosen.GetText()), m_folder / "unnamed");
}

TEST_F(GtkFileDialogTest, FolderDialogPicksFoldersAndCancelGivesNothing) {
    FolderDialogRequest request;
    request.title = "Where to install?";
    request.flags = 0x41;
    GtkFileChooserAction action = GTK_FILE_CHOOSER_ACTION_OPEN;
    std::string title;
    AnswerNextDialog([&](GtkWidget* dialog) {
        action = gtk_file_chooser_get_action(GTK_FILE_CHOOSER(dialog));
        title = gtk_window_get_title(GTK_WINDOW(dialog));
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return true;
    });
    EXPECT_TRUE(m_backend->ShowFolderDialog(request).IsEmpty());
    EXPECT_EQ(action, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    EXPECT_EQ(title, "Where to install?");
}

TEST(GtkBackendText, WindowsPatternsBecomeCaseInsensitiveGlobs) {
    EXPECT_EQ(GtkBackend::ToGlobPatterns("*.KIS"), std::vector<std::string>{"*.[kK][iI][sS]"});
    EXPECT_EQ(GtkBackend::ToGlobPatterns("*.*"), std::vector<std::string>{"*"});
    EXPECT_EQ(GtkBackend::ToGlobPatterns("*.tga; *.JPG"),
              (std::vector<std::string>{"*.[tT][gG][aA]", "*.[jJ][pP][gG]"}));
    EXPECT_EQ(GtkBackend::ToGlobPatterns("a[1].txt"), std::vector<std::string>{"[aA][[]1].[tT][xX][tT]"});
    EXPECT_EQ(GtkBackend::ToGlobPatterns(""), std::vector<std::string>{"*"});
    EXPECT_EQ(GtkBackend::ToUtf8("Gr\xfc\xdf"
                                 "e \x80"),
              "Gr\xc3\xbc\xc3\x9f"
              "e \xe2\x82\xac");
    EXPECT_EQ(GtkBackend::ToUtf8("d\xc3\xa9j\xc3\xa0"), "d\xc3\xa9j\xc3\xa0");
}

} // namespace

#else

TEST(GtkBackend, NotBuilt) {
    EXPECT_EQ(VApplication::MakeDesktopBackend(), nullptr);
    GTEST_SKIP() << "built without GTK";
}

#endif
