// Work handed from a worker thread to a window's thread, and the message loop's end.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "win32/gui_test_support.h"
#include "win32/post.h"
#include "win32/window.h"

namespace tolvane::win32 {
namespace {

class Plain : public Window {
public:
    bool Create() { return CreateAs(L"TolvanePostTestWindow", WS_POPUP, 0, L"", 0, 0, 10, 10, nullptr, nullptr); }
};

TEST(Win32Post, WorkRunsOnTheWindowsThreadAndQuitOutlivesTheWindow) {
    Plain window;
    ASSERT_TRUE(window.Create());
    const DWORD windowThread = GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    std::thread worker([post = PostTo(window.Handle()), &ranOn] {
        EXPECT_TRUE(post([&ranOn] { ranOn = GetCurrentThreadId(); }));
    });
    worker.join();
    EXPECT_EQ(ranOn.load(), 0u);  // not before the window's thread looks at its queue
    testing::PumpMessages();
    EXPECT_EQ(ranOn.load(), windowThread);

    // Work still queued when the window goes is dropped, not run; a quit request posted
    // before stays for the loop.
    bool ran = false;
    const auto post = PostTo(window.Handle());
    ASSERT_TRUE(post([&ran] { ran = true; }));
    PostQuitMessage(7);
    DestroyWindow(window.Handle());
    EXPECT_FALSE(post([&ran] { ran = true; }));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace tolvane::win32
