#include "list_fixture.h"

#include <ostream>

namespace listtest {
namespace {

std::vector<Note> g_notes;
std::vector<HWND> g_from;
std::vector<UINT_PTR> g_ids;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* n = reinterpret_cast<const parlo::ListNotify*>(lParam);
    g_notes.push_back({static_cast<int>(n->hdr.code), n->index, n->state});
    g_from.push_back(n->hdr.hwndFrom);
    g_ids.push_back(n->hdr.idFrom);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const char* CodeName(int code) {
  switch (code) {
    case parlo::LN_SELCHANGE: return "SEL";
    case parlo::LN_ACTIVATE: return "ACT";
    case parlo::LN_CURSORCHANGE: return "CUR";
  }
  return "?";
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Note& n) {
  return out << CodeName(n.code) << "(" << n.index << "," << n.state << ")";
}

void ListTest::SetUp() {
  platform::gdi::CreateScreen(480, 800, 192, 192);
  parlo::ResetDpiCacheForTests();
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"ListTestParent";
    ASSERT_NE(RegisterClassW(&wc), 0);
    registered = true;
  }
  parent_ = CreateWindowExW(0, u"ListTestParent", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr,
                            nullptr, nullptr);
  ASSERT_NE(parent_, nullptr);
  ASSERT_NE(list_.Create(parent_, kListRect, kListId), nullptr);
  SetFocus(list_.hwnd());
  platform::wm::PumpUntilIdle();
  g_notes.clear();
  g_from.clear();
  g_ids.clear();
}

void ListTest::TearDown() {
  if (parent_) DestroyWindow(parent_);
  platform::wm::PumpUntilIdle();
}

std::vector<Note>& ListTest::notes() { return g_notes; }
std::vector<HWND>& ListTest::noteWindows() { return g_from; }
std::vector<UINT_PTR>& ListTest::noteIds() { return g_ids; }

void ListTest::Fill(int rows, int height) {
  list_.DeleteAllRows();
  for (int i = 0; i < rows; ++i) {
    auto* row = new TestRow(height);
    list_.AppendRow(row);
    row->Release();
  }
  list_.EndFilling();
  Repaint();
}

void ListTest::Down(int x, int y) {
  finger_ = POINT{x, y};
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void ListTest::MoveTo(int x, int y) {
  finger_ = POINT{x, y};
  SendMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
}

void ListTest::Up(int x, int y) {
  finger_ = POINT{x, y};
  SendMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ListTest::Key(UINT vk) {
  SendMessageW(list(), WM_KEYDOWN, vk, 0);
  SendMessageW(list(), WM_KEYUP, vk, 0);
}

void ListTest::Drag(int x, int y0, int y1, int steps, uint32_t stepMs, bool release) {
  Down(x, y0);
  for (int i = 1; i <= steps; ++i) {
    Advance(stepMs);
    MoveTo(x, y0 + (y1 - y0) * i / steps);
  }
  if (release) Up(x, y1);
}

void ListTest::Repaint() {
  InvalidateRect(list(), nullptr, FALSE);
  UpdateWindow(list());
}

uint32_t ListTest::Pixel(int x, int y) const {
  return platform::gdi::ScreenPixel(kListRect.left + x, kListRect.top + y);
}

}  // namespace listtest
