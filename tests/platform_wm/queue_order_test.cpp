// The order in which the loop hands out messages, and synchronous sends across threads.
#include <atomic>
#include <tuple>
#include <thread>

#include "platform/base/clock.h"
#include "platform/wm/input.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using platform::wm::IsIdle;
using platform::wm::PumpUntilIdle;

class QueueOrder : public WmTest {};

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
  HWND w = Top(u"w");
  PumpUntilIdle();
  ASSERT_NE(SetTimer(w, 7, 40, nullptr), 0u);
  platform::clock::Advance(40);
  InvalidateRect(w, nullptr, FALSE);
  PostMessageW(w, WM_USER + 1, 0, 0);
  PostMessageW(w, WM_USER + 2, 0, 0);
  std::vector<UINT> expected{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_PAINT, WM_TIMER};
  EXPECT_EQ(TakeAll(w), expected);
  EXPECT_TRUE(IsIdle());
  // Peeking without removing leaves the message; a range filter picks from the middle.
  PostMessageW(w, WM_USER + 1, 11, 0);
  PostMessageW(w, WM_USER + 2, 22, 0);
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
  HWND w = Top(u"w");
  PumpUntilIdle();
  PostMessageW(w, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  EXPECT_FALSE(PumpUntilIdle());
  EXPECT_EQ(Only(WM_USER + 1).size(), 1u);  // handled before the quit was seen
  MSG m{};
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(std::tuple(m.message, m.wParam), std::tuple(static_cast<UINT>(WM_QUIT), 3u));
  EXPECT_TRUE(PumpUntilIdle());  // taken once, gone
  // A filter naming a window that is gone fails.
  DestroyWindow(w);
  EXPECT_EQ(GetMessageW(&m, w, 0, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(QueueOrder, SendsRunOnTheUiThreadAtOnceOrBeforePostedMessages) {
  HWND w = Top(u"w");
  PumpUntilIdle();
  std::thread::id ranOn;
  OnMessage(w, [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
    if (msg != WM_USER + 5) return false;
    ranOn = std::this_thread::get_id();
    *r = static_cast<LRESULT>(wp + 1);
    return true;
  });
  // On the UI thread a send runs at once, ahead of what was posted.
  PostMessageW(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(SendMessageW(w, WM_USER + 5, 10, 0), 11);
  EXPECT_TRUE(Only(WM_USER + 2).empty());
  PumpUntilIdle();
  Log().clear();
  std::atomic<LRESULT> result{0};
  std::thread sender([&] { result = SendMessageW(w, WM_USER + 5, 41, 0); });
  while (IsIdle()) std::this_thread::yield();  // the send is queued
  PostMessageW(w, WM_USER + 1, 0, 0);
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));  // a sent message is never returned
  sender.join();
  EXPECT_EQ(result.load(), 42);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  ASSERT_EQ(Only(WM_USER + 5).size(), 1u);
  EXPECT_EQ(Only(WM_USER + 1).size(), 0u);  // taken but not dispatched yet
}

TEST_F(QueueOrder, BlockedGetMessageServesSendsFromOtherThreads) {
  HWND w = Top(u"w");
  PumpUntilIdle();
  std::vector<int> order;
  OnMessage(w, [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
    if (msg == WM_USER + 5) order.push_back(static_cast<int>(wp));
    *r = 7;
    return msg == WM_USER + 5;
  });
  LRESULT r1 = 0, r2 = 0;
  std::thread sender([&] {
    r1 = SendMessageW(w, WM_USER + 5, 1, 0);
    r2 = SendMessageW(w, WM_USER + 5, 2, 0);  // only after the first has returned
    PostMessageW(w, WM_USER + 9, 0, 0);
  });
  MSG m{};
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  sender.join();
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 9));
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(std::tuple(r1, r2), std::tuple(7, 7));
}

TEST_F(QueueOrder, UiThreadWaitingElsewhereCanServeSendsAndDestroyedWindowsAnswerZero) {
  HWND w = Top(u"w");
  PumpUntilIdle();
  OnMessage(w, [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    *r = 5;
    return msg == WM_USER + 5;
  });
  EXPECT_FALSE(platform::wm::ProcessSentMessages());
  LRESULT result = 0;
  std::thread sender([&] { result = SendMessageW(w, WM_USER + 5, 0, 0); });
  while (IsIdle()) std::this_thread::yield();
  EXPECT_TRUE(platform::wm::ProcessSentMessages());
  sender.join();
  EXPECT_EQ(result, 5);
  // A send to a destroyed window from another thread returns zero with the reason.
  DestroyWindow(w);
  DWORD err = 0;
  std::thread late([&] {
    result = SendMessageW(w, WM_USER + 5, 0, 0);
    err = GetLastError();
  });
  late.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(err, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(QueueOrder, TranslateMakesCharactersOnlyForPrintableKeysAndTheyComeNext) {
  HWND w = Top(u"w");
  SetFocus(w);
  PumpUntilIdle();
  Log().clear();
  platform::wm::InjectKey('A', true);
  PostMessageW(w, WM_USER + 1, 0, 0);
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
  static bool added = false;
  if (!added) {
    platform::wm::AddIdlePoller([] { ++polls; });
    added = true;
  }
  HWND w = Top(u"w");
  PumpUntilIdle();
  int before = polls;
  int pollsInside = -1;
  OnMessage(w, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != WM_USER + 1) return false;
    int at = polls;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);  // a modal loop
    pollsInside = polls - at;
    return true;
  });
  PostMessageW(w, WM_USER + 1, 0, 0);
  PumpUntilIdle();
  EXPECT_GT(pollsInside, 0);
  EXPECT_GT(polls, before);
}

}  // namespace
}  // namespace wmtest
