#include "application/platform/win32/Win32Backend.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using VApplication::FileFilter;
using VApplication::Win32Backend;

namespace {

TEST(Win32Backend, RunsPostedTasksInOrderAndEndsTheInnermostLoop) {
    Win32Backend backend;
    ASSERT_TRUE(backend.IsUsable());
    std::vector<std::string> order;
    int innerCode = -1;
    backend.Post([&] {
        order.push_back("outer 1");
        // A task that runs a loop of its own: the tasks behind it run inside, the quit ends that loop only.
        backend.Post([&] { order.push_back("inner"); });
        backend.Quit(7);
        backend.Post([&] { order.push_back("outer 2"); });
        innerCode = backend.RunMessageLoop();
        backend.Quit(3);
    });
    // Posted from another thread while the loop runs.
    std::thread poster([&] { backend.Post([&] { order.push_back("from thread"); }); });
    poster.join();
    EXPECT_EQ(backend.RunMessageLoop(), 3);
    EXPECT_EQ(innerCode, 7);
    const std::vector<std::string> expected = {"outer 1", "from thread", "inner", "outer 2"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(backend.GetLoopDepth(), 0u);
}

TEST(Win32Backend, TimerRunsUntilItsCallbackDeclines) {
    Win32Backend backend;
    ASSERT_TRUE(backend.IsUsable());
    int ticks = 0;
    const VApplication::TimerId id = backend.StartTimer(5, [&] {
        if (++ticks < 3) return true;
        backend.Quit(0);
        return false;
    });
    EXPECT_NE(id, 0u);
    EXPECT_EQ(backend.RunMessageLoop(), 0);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(backend.GetTimerCount(), 0u);
    EXPECT_FALSE(backend.StopTimer(id));
}

TEST(Win32Backend, FilterListEndsEachPartAndTheWholeWithZeroBytes) {
    using namespace std::string_literals;
    EXPECT_EQ(Win32Backend::MakeFilterList({FileFilter{"Scripts (*.kis)", "*.kis"}, FileFilter{"Any", ""}}),
              "Scripts (*.kis)\0*.kis\0Any\0*.*\0\0"s);
    EXPECT_EQ(Win32Backend::MakeFilterList({}), "All Files (*.*)\0*.*\0\0"s);
}

} // namespace
