#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "kit/temp_device.h"
#include "platform/display/display.h"
#include "shell/message_loop.h"

namespace {

// Says stop after `stopAfter` calls in a row, then posts the next message of `next`, or WM_QUIT.
struct CountingIdle : IdleHandler {
  std::vector<int> counts;
  int stopAfter = 1;
  int round = 0;
  HWND window = nullptr;
  std::vector<UINT> next;
  bool OnIdle(int count) override {
    counts.push_back(count);
    if (++round < stopAfter) return true;
    round = 0;
    if (next.empty()) {
      PostQuitMessage(5);
    } else {
      PostMessageW(window, next.front(), 0, 0);
      next.erase(next.begin());
    }
    return false;
  }
};

struct SwallowingFilter : MessageFilter {
  UINT swallow = 0;
  int seen = 0;
  bool PreTranslateMessage(MSG* msg) override {
    seen += msg->message == swallow;
    return msg->message == swallow;
  }
};

UINT g_dispatched = 0;
LRESULT CALLBACK Probe(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 1 || m == WM_USER + 2) ++g_dispatched;
  return DefWindowProcW(h, m, w, l);
}

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(platform::display::OpenDisplay(true, 480, 800, 192, 1, &error)) << error;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Probe;
    wc.lpszClassName = u"LoopProbe";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, u"LoopProbe", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window_);
    g_dispatched = 0;
  }
  void TearDown() override { DestroyWindow(window_); }
  parlo_test::TempDevice device_;
  HWND window_ = nullptr;
};

// The idle count grows until a handler says stop; a message then arms idle again from zero.
TEST_F(MessageLoopTest, IdleCountGrowsUntilAHandlerSaysStopAndAMessageOtherThanPaintTimerOrMoveRearmsIt) {
  const struct {
    int stopAfter;
    std::vector<UINT> next;
    std::vector<int> counts;
    UINT dispatched;
  } cases[] = {{3, {}, {0, 1, 2}, 0}, {2, {WM_USER + 1}, {0, 1, 0, 1}, 1}};
  for (const auto& c : cases) {
    g_dispatched = 0;
    MessageLoop loop;
    CountingIdle idle;
    idle.stopAfter = c.stopAfter;
    idle.window = window_;
    idle.next = c.next;
    loop.AddIdleHandler(&idle);
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(idle.counts, c.counts);
    EXPECT_EQ(g_dispatched, c.dispatched);
  }
  // Painting, system timers and mouse moves do not rearm idle.
  for (UINT m : {WM_PAINT, WM_SYSTIMER, WM_MOUSEMOVE}) EXPECT_FALSE(MessageLoop::ArmsIdle(m)) << m;
  for (UINT m : {WM_TIMER, WM_LBUTTONDOWN}) EXPECT_TRUE(MessageLoop::ArmsIdle(m)) << m;
}

TEST_F(MessageLoopTest, FiltersTakeMessagesBeforeDispatch) {
  MessageLoop loop;
  SwallowingFilter filter;
  filter.swallow = WM_USER + 1;
  loop.AddMessageFilter(&filter);
  PostMessageW(window_, WM_USER + 1, 0, 0);
  PostMessageW(window_, WM_USER + 2, 0, 0);
  PostQuitMessage(0);
  loop.Run();
  EXPECT_EQ(filter.seen, 1);
  EXPECT_EQ(g_dispatched, 1u);
  loop.RemoveMessageFilter(&filter);
}

TEST_F(MessageLoopTest, EachThreadFindsItsOwnLoop) {
  MessageLoop loop;
  app_module::AddMessageLoop(&loop);
  EXPECT_EQ(app_module::GetMessageLoop(), &loop);
  MessageLoop* other = &loop;
  std::thread([&other] { other = app_module::GetMessageLoop(); }).join();
  EXPECT_EQ(other, nullptr);
  app_module::RemoveMessageLoop();
  EXPECT_EQ(app_module::GetMessageLoop(), nullptr);
}

}  // namespace
