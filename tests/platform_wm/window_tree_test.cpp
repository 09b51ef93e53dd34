// Creating, destroying, relating and subclassing windows; stale handles.
#include <tuple>

#include "kit/last_error.h"
#include "wm_fixture.h"

namespace wmtest {
namespace {

using parlo_test::WithError;
using platform::wm::PumpUntilIdle;

class WindowTree : public WmTest {};

TEST_F(WindowTree, CreationMessagesInOrderWithCreateStruct) {
  int param = 5;
  CREATESTRUCTW seen{};
  OnClassMessage(kRecClass, [&](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    if (msg == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTW*>(lp);
    return false;
  });
  HWND w = CreateWindowExW(0, kRecClass, u"top", WS_VISIBLE, 10, 20, 100, 50, nullptr, nullptr, nullptr, &param);
  ASSERT_NE(w, nullptr);
  std::vector<UINT> order;
  for (const Entry& e : Log())
    if (e.hwnd == w && e.message != WM_ACTIVATE && e.message != WM_SETFOCUS && e.message != WM_GETTEXT) order.push_back(e.message);
  EXPECT_EQ(order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
  EXPECT_EQ(std::tuple(seen.lpCreateParams, seen.x, seen.y, seen.cx, seen.cy, seen.style & WS_VISIBLE),
            std::tuple(static_cast<void*>(&param), 10, 20, 100, 50, WS_VISIBLE));
  EXPECT_EQ(std::tuple(Only(WM_SIZE, w)[0].lParam, Only(WM_MOVE, w)[0].lParam),
            std::tuple(MAKELPARAM(100, 50), MAKELPARAM(10, 20)));
  // A visible top-level window becomes active.
  EXPECT_EQ(std::tuple(IsWindowVisible(w) != 0, GetActiveWindow()), std::tuple(true, w));
  // The default size covers the work area.
  HWND d = CreateWindowExW(0, kRecClass, u"d", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           nullptr, nullptr, nullptr, nullptr);
  RECT r, work;
  GetWindowRect(d, &r);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(std::tuple(r.left, r.bottom, work.right), std::tuple(work.left, work.bottom, GetSystemMetrics(SM_CXSCREEN)));
}

TEST_F(WindowTree, CreationFailsForMinusOneFromCreateAnUnknownClassOrAChildWithoutParent) {
  HWND created = nullptr;
  OnClassMessage(kRecClass, [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_CREATE) return false;
    created = h;
    *r = -1;
    return true;
  });
  EXPECT_EQ(Top(u"x"), nullptr);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(std::tuple(IsWindow(created), Only(WM_DESTROY, created).size(), Only(WM_NCDESTROY, created).size()),
            std::tuple(FALSE, 1u, 1u));
  // An unknown class and a child without a parent fail too.
  EXPECT_EQ(WithError(Make(u"NoSuchClass", u"", 0, {0, 0, 1, 1})), std::tuple(HWND(nullptr), 1407u));
  EXPECT_EQ(Make(kRecClass, u"", WS_CHILD, {0, 0, 1, 1}), nullptr);
}

// Destruction: WM_DESTROY parent first, WM_NCDESTROY children first; an owner takes its owned
// pop-up first; WM_CLOSE destroys through the default procedure.
TEST_F(WindowTree, DestroyOrderOwnedPopupsAndClose) {
  HWND p = Top(u"p");
  HWND c1 = Child(p, u"c1", RECT{0, 0, 10, 10});
  Child(c1, u"g", RECT{0, 0, 5, 5});
  Child(p, u"c2", RECT{0, 0, 10, 10});
  HWND popup = Make(kRecClass, u"pop", WS_POPUP | WS_VISIBLE, {0, 0, 10, 10}, p);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(std::tuple(GetParent(popup), GetWindow(popup, GW_OWNER)), std::tuple(p, p));
  Log().clear();
  EXPECT_TRUE(DestroyWindow(p));
  // The owned pop-up goes entirely first.
  EXPECT_EQ(Trace({WM_DESTROY, WM_NCDESTROY}),
            "DESTROY@pop NCDESTROY@pop DESTROY@p DESTROY@c1 DESTROY@g DESTROY@c2 NCDESTROY@g NCDESTROY@c1 NCDESTROY@c2 "
            "NCDESTROY@p");
  EXPECT_EQ(std::tuple(IsWindow(c1), IsWindow(popup)), std::tuple(FALSE, FALSE));
  HWND w = Top(u"w");
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTree, DestroyedAndForeignHandlesFailWithoutTouchingAnything) {
  HWND w = Top(u"w");
  HWND b = Top(u"b");
  PostMessageW(w, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  DestroyWindow(w);
  PumpUntilIdle();
  // Posted messages for a destroyed window are dropped.
  EXPECT_EQ(std::pair(Only(WM_USER + 1).size(), Only(WM_USER + 2).size()), std::pair(0ul, 1ul));
  HWND reused = Top(u"again");  // may take the same slot
  ASSERT_NE(reused, w);
  HWND foreign = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345678));
  for (HWND bad : {w, foreign}) {
    SetLastError(0);
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(WithError(GetWindowLongW(bad, GWL_STYLE)), std::tuple(0, DWORD(ERROR_INVALID_WINDOW_HANDLE)));
    SetLastError(0);
    EXPECT_EQ(WithError(SendMessageW(bad, WM_USER, 0, 0)), std::tuple(0, DWORD(ERROR_INVALID_WINDOW_HANDLE)));
    RECT r;
    EXPECT_EQ(std::tuple(PostMessageW(bad, WM_USER, 0, 0), ShowWindow(bad, SW_SHOW), DestroyWindow(bad),
                         SetWindowTextW(bad, u"x"), GetClientRect(bad, &r)),
              std::tuple(FALSE, FALSE, FALSE, FALSE, FALSE));
    EXPECT_EQ(std::tuple(GetParent(bad), GetDC(bad)), std::tuple(nullptr, nullptr));
  }
  EXPECT_TRUE(Only(WM_USER).empty());
}

WNDPROC g_old = nullptr;
std::vector<UINT> g_subSeen;

LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  g_subSeen.push_back(msg);
  if (msg == WM_USER + 7) return 77;  // swallowed
  return CallWindowProcW(g_old, hwnd, msg, wp, lp);
}

TEST_F(WindowTree, SubclassingSeesMessagesFirstAndChainsOn) {
  HWND w = Top(u"w");
  g_subSeen.clear();
  g_old = reinterpret_cast<WNDPROC>(SetWindowLongW(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
  EXPECT_EQ(std::tuple(g_old, reinterpret_cast<WNDPROC>(GetWindowLongW(w, GWL_WNDPROC))),
            std::tuple(WNDPROC(RecordingProc), WNDPROC(Subclass)));
  Log().clear();
  EXPECT_EQ(SendMessageW(w, WM_USER + 7, 0, 0), 77);
  SendMessageW(w, WM_USER + 8, 0, 0);
  EXPECT_EQ(g_subSeen, (std::vector<UINT>{WM_USER + 7, WM_USER + 8}));
  // Only the one passed on reached the original.
  EXPECT_EQ(std::pair(Log().size(), Only(WM_USER + 8).size()), std::pair(1ul, 1ul));
  EXPECT_EQ(SetWindowLongW(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_old)), reinterpret_cast<LONG_PTR>(Subclass));
  SendMessageW(w, WM_USER + 7, 0, 0);
  EXPECT_EQ(g_subSeen.size(), 2u);
}

// Window longs, extra bytes, text and class name; the text made at creation comes back too.
TEST_F(WindowTree, WindowLongsExtraBytesAndText) {
  HWND w = Top(u"w");
  HWND c = Child(w, u"c", RECT{0, 0, 10, 10}, 42);
  EXPECT_EQ(std::tuple(GetWindowLongW(c, GWL_ID), GetDlgCtrlID(c)), std::tuple(42, 42));
  EXPECT_EQ(std::tuple(GetDlgItem(w, 42), GetDlgItem(w, 43)), std::tuple(c, nullptr));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE)), static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS));
  // Each set answers the value before; extra bytes 4..7 are inside the class's eight.
  EXPECT_EQ((std::vector<LONG_PTR>{SetWindowLongW(c, GWL_USERDATA, 1234), GetWindowLongW(c, GWL_USERDATA),
                                   SetWindowLongW(c, 4, 99), GetWindowLongW(c, 4)}),
            (std::vector<LONG_PTR>{0, 1234, 0, 99}));
  WCHAR text[16];
  EXPECT_EQ(GetWindowTextW(w, text, 16), 1);
  EXPECT_EQ(std::u16string(text), u"w");
  SetLastError(0);
  EXPECT_EQ(WithError(GetWindowLongW(c, 8)), std::tuple(0, 1413u));
  EXPECT_TRUE(SetWindowTextW(w, u"hello"));
  EXPECT_EQ(GetWindowTextLengthW(w), 5);
  WCHAR buf[4] = {1, 1, 1, 1};
  EXPECT_EQ(GetWindowTextW(w, buf, 4), 3);
  EXPECT_EQ(std::u16string(buf), u"hel");
  WCHAR cls[5];
  EXPECT_EQ(GetClassNameW(w, cls, 5), 4);
  EXPECT_EQ(std::u16string(cls), u"WmTe");
}

TEST_F(WindowTree, ChildrenKeepCreationOrderSetWindowPosRestacksAndMovesTellOnlyWhatChanged) {
  HWND p = Top(u"p");
  HWND a = Child(p, u"a", RECT{0, 0, 10, 10});
  HWND b = Child(p, u"b", RECT{0, 0, 10, 10});
  HWND c = Child(p, u"c", RECT{0, 0, 10, 10});
  EXPECT_EQ(std::tuple(GetWindow(p, GW_CHILD), GetWindow(a, GW_HWNDNEXT), GetWindow(c, GW_HWNDNEXT), GetWindow(c, GW_HWNDPREV)),
            std::tuple(a, b, nullptr, b));
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(p, GW_CHILD), c);
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
  SetWindowPos(c, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);
  EXPECT_EQ(std::tuple(GetParent(a), GetParent(p), IsChild(p, a), IsChild(a, p)), std::tuple(p, nullptr, TRUE, FALSE));
  // Moving and sizing tell only what changed.
  Log().clear();
  MoveWindow(c, 5, 6, 10, 10, TRUE);
  EXPECT_EQ(Trace({WM_MOVE, WM_SIZE}), "MOVE@c");
  Log().clear();
  MoveWindow(c, 5, 6, 30, 40, TRUE);
  EXPECT_EQ(Trace({WM_MOVE, WM_SIZE}), "SIZE@c");
  EXPECT_EQ(std::tuple(Only(WM_SIZE)[0].wParam, Only(WM_SIZE)[0].lParam),
            std::tuple(static_cast<WPARAM>(SIZE_RESTORED), MAKELPARAM(30, 40)));
  Log().clear();
  SetWindowPos(c, nullptr, 1, 2, 3, 4, SWP_NOZORDER);
  EXPECT_EQ(Trace({WM_MOVE, WM_SIZE}), "MOVE@c SIZE@c");
  RECT r;
  GetClientRect(c, &r);
  EXPECT_EQ(std::tuple(r.right, r.bottom), std::tuple(3, 4));
}

TEST_F(WindowTree, CoordinatesMapThroughNestedWindows) {
  HWND p = Top(u"p", WS_VISIBLE, RECT{10, 20, 410, 620});
  HWND c = Child(p, u"c", RECT{5, 5, 105, 105});
  HWND g = Child(c, u"g", RECT{1, 2, 11, 12});
  RECT wr;
  GetWindowRect(g, &wr);
  EXPECT_EQ(std::tuple(wr.left, wr.top, wr.right), std::tuple(16, 27, 26));
  POINT pt{0, 0};
  ClientToScreen(g, &pt);
  EXPECT_EQ(std::tuple(pt.x, pt.y), std::tuple(16, 27));
  ScreenToClient(p, &pt);
  EXPECT_EQ(std::tuple(pt.x, pt.y), std::tuple(6, 7));
  POINT pts[2] = {{0, 0}, {3, 3}};
  MapWindowPoints(g, p, pts, 2);
  EXPECT_EQ(std::tuple(pts[1].x, pts[1].y), std::tuple(9, 10));
}

TEST_F(WindowTree, ShowWindowReturnsPreviousStateAndTellsOnlyOnChange) {
  HWND p = Top(u"p");
  HWND c = Child(p, u"c", RECT{0, 0, 10, 10}, 0, WS_CHILD);
  Log().clear();
  EXPECT_EQ((std::vector<bool>{ShowWindow(c, SW_SHOW) != 0, ShowWindow(c, SW_SHOW) != 0}), (std::vector{false, true}));
  ASSERT_EQ(Only(WM_SHOWWINDOW, c).size(), 1u);
  EXPECT_EQ(Only(WM_SHOWWINDOW, c)[0].wParam, static_cast<WPARAM>(TRUE));
  ShowWindow(p, SW_HIDE);
  // The parent hides it, though its own style still says visible.
  EXPECT_EQ(std::tuple(IsWindowVisible(c), GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE), std::tuple(FALSE, WS_VISIBLE));
  EXPECT_TRUE(ShowWindow(c, SW_HIDE));
  EXPECT_EQ(Only(WM_SHOWWINDOW, c).back().wParam, static_cast<WPARAM>(FALSE));
}

TEST_F(WindowTree, ClassesRegisterOnceAndStayWhileInUse) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = u"TempClass";
  ASSERT_NE(RegisterClassW(&wc), 0);
  EXPECT_EQ(WithError(RegisterClassW(&wc)), std::tuple(0, DWORD(ERROR_CLASS_ALREADY_EXISTS)));
  HWND w = CreateWindowExW(0, u"tempclass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);  // names compare without case
  EXPECT_FALSE(UnregisterClassW(u"TempClass", nullptr));
  DestroyWindow(w);
  EXPECT_EQ((std::vector<BOOL>{UnregisterClassW(u"TempClass", nullptr), UnregisterClassW(u"TempClass", nullptr)}),
            (std::vector<BOOL>{TRUE, FALSE}));
}

// Reaching other programs' windows is the device's remote-window tests' part.
TEST_F(WindowTree, FindWindowFindsLocalWindowsAndAMarkedHandleStillNamesThem) {
  HWND mine = Top(u"mine");
  EXPECT_EQ(std::tuple(FindWindowW(kRecClass, nullptr), FindWindowW(kRecClass, u"mine"), FindWindowW(u"Parlo", nullptr)),
            std::tuple(mine, mine, nullptr));
  // A local handle with bit zero set still names the local window.
  HWND b = Top(u"b");
  ASSERT_EQ(GetActiveWindow(), b);
  EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(mine) | 1)));
  EXPECT_EQ(GetForegroundWindow(), mine);
}

}  // namespace
}  // namespace wmtest
