// The order in which the loop hands out messages, and synchronous sends across threads.
#include <atomic>
#include <tuple>
#include <thread>

#include "kit/last_error.h"
#include "platform/base/clock.h"
#include "platform/wm/input.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::IsIdle;
using platform::wm::PumpUntilIdle;

// One window; WM_USER + 5 sent to it is answered with wParam + 1 and noted with the thread it ran on.
class QueueOrder : public WmTest {
 protected:
  void SetUp() override {
    WmTest::SetUp();
    w_ = Top(u"w");
    OnMessage(w_, [this](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
      if (msg != WM_USER + 5) return false;
      sent_.push_back(static_cast<int>(wp));
      ranOn_ = std::this_thread::get_id();
      *r = static_cast<LRESULT>(wp + 1);
      return true;
    });
    PumpUntilIdle();
    Log().clear();
  }
  // Sends from another thread, returns once the send waits in the queue.
  std::thread SendFromOtherThread(WPARAM wp, std::atomic<LRESULT>* result) {
    std::thread t([this, wp, result] { *result = SendMessageW(w_, WM_USER + 5, wp, 0); });
    while (IsIdle()) std::this_thread::yield();
    return t;
  }
  HWND w_ = nullptr;
  std::vector<int> sent_;
  std::thread::id ranOn_;
};

std::vector<UINT> TakeAll(HWND w) {
  std::vector<UINT> taken;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.hwnd == w || m.message == WM_QUIT) taken.push_back(m.message);
    if (m.message == WM_USER + 1) PostMessageW(w, WM_USER + 3, 0, 0);  // joins the posted ones
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return taken;
}

TEST_F(QueueOrder, PostedThenPaintThenTimerEvenWhenPostedLaterAndPeekFilters) {
  ASSERT_NE(SetTimer(w_, 7, 40, nullptr), 0u);
  platform::clock::Advance(40);
  InvalidateRect(w_, nullptr, FALSE);
  PostMessageW(w_, WM_USER + 1, 0, 0);
  PostMessageW(w_, WM_USER + 2, 0, 0);
  EXPECT_EQ(TakeAll(w_), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_PAINT, WM_TIMER}));
  EXPECT_TRUE(IsIdle());
  // Peeking without removing leaves the message; a range filter picks from the middle.
  PostMessageW(w_, WM_USER + 1, 11, 0);
  PostMessageW(w_, WM_USER + 2, 22, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(m.wParam, 22u);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.wParam, 11u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueOrder, QuitComesAfterPostedAndIsLeftForTheLoopByPumpAndABadWindowFilterFails) {
  PostMessageW(w_, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  EXPECT_FALSE(PumpUntilIdle());
  EXPECT_EQ(Only(WM_USER + 1).size(), 1u);  // handled before the quit was seen
  MSG m{};
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(std::tuple(m.message, m.wParam), std::tuple(static_cast<UINT>(WM_QUIT), 3u));
  EXPECT_TRUE(PumpUntilIdle());  // taken once, gone
  // A filter naming a window that is gone fails.
  DestroyWindow(w_);
  EXPECT_EQ(parlo_test::WithError(GetMessageW(&m, w_, 0, 0)), std::tuple(-1, DWORD(ERROR_INVALID_WINDOW_HANDLE)));
}

TEST_F(QueueOrder, SendsRunOnTheUiThreadAtOnceOrBeforePostedMessages) {
  // On the UI thread a send runs at once, ahead of what was posted.
  PostMessageW(w_, WM_USER + 2, 0, 0);
  EXPECT_EQ(SendMessageW(w_, WM_USER + 5, 10, 0), 11);
  EXPECT_TRUE(Only(WM_USER + 2).empty());
  PumpUntilIdle();
  Log().clear();
  std::atomic<LRESULT> result{0};
  std::thread sender = SendFromOtherThread(41, &result);
  PostMessageW(w_, WM_USER + 1, 0, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));  // a sent message is never returned
  sender.join();
  // Run on this thread; the posted one is taken but not dispatched yet.
  EXPECT_EQ(std::tuple(result.load(), ranOn_ == std::this_thread::get_id(), Only(WM_USER + 5).size(),
                       Only(WM_USER + 1).size()),
            std::tuple(42, true, 1u, 0u));
}

// A UI thread blocked in GetMessageW, or waiting elsewhere, serves sends from other threads;
// a send to a destroyed window answers zero with the reason.
TEST_F(QueueOrder, UiThreadServesSendsWhileBlockedOrWaitingElsewhere) {
  LRESULT r1 = 0, r2 = 0;
  std::thread sender([&] {
    r1 = SendMessageW(w_, WM_USER + 5, 1, 0);
    r2 = SendMessageW(w_, WM_USER + 5, 2, 0);  // only after the first has returned
    PostMessageW(w_, WM_USER + 9, 0, 0);
  });
  MSG m{};
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  sender.join();
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 9));
  EXPECT_EQ(std::tuple(sent_, r1, r2), std::tuple(std::vector<int>{1, 2}, 2, 3));
  EXPECT_FALSE(platform::wm::ProcessSentMessages());
  std::atomic<LRESULT> result{0};
  std::thread waiting = SendFromOtherThread(4, &result);
  EXPECT_TRUE(platform::wm::ProcessSentMessages());
  waiting.join();
  EXPECT_EQ(result.load(), 5);
  DestroyWindow(w_);
  DWORD err = 0;
  std::thread late([&] {
    result = SendMessageW(w_, WM_USER + 5, 0, 0);
    err = GetLastError();
  });
  late.join();
  EXPECT_EQ(std::tuple(result.load(), err), std::tuple(0, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE)));
}

TEST_F(QueueOrder, TranslateMakesCharactersOnlyForPrintableKeysAndTheyComeNext) {
  SetFocus(w_);
  PumpUntilIdle();
  Log().clear();
  platform::wm::InjectKey('A', true);
  PostMessageW(w_, WM_USER + 1, 0, 0);
  platform::wm::InjectKey(VK_F3, true);
  platform::wm::InjectKey(VK_LEFT, true);
  platform::wm::InjectKey('7', true);
  PumpUntilIdle();
  EXPECT_EQ(Trace({WM_KEYDOWN, WM_CHAR, WM_USER + 1}),
            "KEYDOWN@w CHAR@w USER@w KEYDOWN@w KEYDOWN@w KEYDOWN@w CHAR@w");
  auto chars = Only(WM_CHAR);
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(std::tuple(chars[0].wParam, chars[1].wParam), std::tuple(WPARAM{u'a'}, WPARAM{u'7'}));
  for (UINT vk : {static_cast<UINT>('A'), static_cast<UINT>(VK_F3), static_cast<UINT>(VK_LEFT), static_cast<UINT>('7')})
    platform::wm::InjectKey(vk, false);
  PumpUntilIdle();
}

TEST_F(QueueOrder, PollersRunWhenEmptyAlsoInNestedLoops) {
  static int polls = 0;
  static const bool added = (platform::wm::AddIdlePoller([] { ++polls; }), true);  // once for the program
  ASSERT_TRUE(added);
  int before = polls;
  int pollsInside = -1;
  OnMessage(w_, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != WM_USER + 1) return false;
    int at = polls;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);  // a modal loop
    pollsInside = polls - at;
    return true;
  });
  PostMessageW(w_, WM_USER + 1, 0, 0);
  PumpUntilIdle();
  EXPECT_GT(pollsInside, 0);
  EXPECT_GT(polls, before);
}

}  // namespace
}  // namespace wmtest
