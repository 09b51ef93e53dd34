// A recording window class and a fixture that leaves no window, timer or message behind.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "kit/temp_device.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace wmtest {

inline const char16_t kRecClass[] = u"WmTestRec";
inline const char16_t kDblClass[] = u"WmTestDbl";

struct Entry {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A window may answer a message itself instead of the default procedure.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

// Every message a recording window gets, in order; handlers by window and, for windows still
// being created (WM_NCCREATE, WM_CREATE), by class; the fixture's windows by their text.
struct Recorder {
  std::vector<Entry> log;
  std::map<HWND, Handler> handlers;
  std::map<std::u16string, Handler> classHandlers;
  std::map<HWND, std::string> names;
};
inline Recorder& Recorded() {
  static Recorder r;
  return r;
}
inline std::vector<Entry>& Log() { return Recorded().log; }
inline void OnMessage(HWND hwnd, Handler handler) { Recorded().handlers[hwnd] = std::move(handler); }
inline void OnClassMessage(const std::u16string& className, Handler handler) {
  Recorded().classHandlers[className] = std::move(handler);
}

// Only the entries for `message` (any window when hwnd is null).
inline std::vector<Entry> Only(UINT message, HWND hwnd = nullptr) {
  std::vector<Entry> out;
  for (const Entry& e : Log())
    if (e.message == message && (!hwnd || e.hwnd == hwnd)) out.push_back(e);
  return out;
}

// Messages of interest as "name@window" strings, window given by its text.
inline std::string Trace(std::initializer_list<UINT> messages) {
  static const std::map<UINT, const char*> names = {
      {WM_DESTROY, "DESTROY"},         {WM_NCDESTROY, "NCDESTROY"},   {WM_MOVE, "MOVE"},
      {WM_SIZE, "SIZE"},               {WM_ACTIVATE, "ACTIVATE"},     {WM_SETFOCUS, "SETFOCUS"},
      {WM_KILLFOCUS, "KILLFOCUS"},     {WM_PAINT, "PAINT"},           {WM_CAPTURECHANGED, "CAPTURECHANGED"},
      {WM_LBUTTONDOWN, "LDOWN"},       {WM_LBUTTONUP, "LUP"},         {WM_MOUSEMOVE, "MOVE_M"},
      {WM_KEYDOWN, "KEYDOWN"},         {WM_KEYUP, "KEYUP"},           {WM_CHAR, "CHAR"},
      {WM_ENABLE, "ENABLE"},           {WM_CANCELMODE, "CANCELMODE"}};
  std::string out;
  for (const Entry& e : Log()) {
    if (std::find(messages.begin(), messages.end(), e.message) == messages.end()) continue;
    auto known = names.find(e.message);
    std::string name = Recorded().names[e.hwnd];
    if (!out.empty()) out += ' ';
    out += std::string(known != names.end() ? known->second : e.message >= WM_USER ? "USER" : "?") + "@" +
           (name.empty() ? "?" : name);
  }
  return out;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  LRESULT result = 0;
  auto& handlers = Recorded().handlers;
  auto it = handlers.find(hwnd);
  if (it != handlers.end() && it->second && it->second(hwnd, message, wParam, lParam, &result)) return result;
  WCHAR cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  auto& classHandlers = Recorded().classHandlers;
  auto ct = classHandlers.find(cls);
  if (ct != classHandlers.end() && ct->second(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class WmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The recording class, one that asks for double clicks, and plain ones known by their colour.
    static const bool registered = [] {
      for (auto [name, style, color] : {std::tuple{kRecClass, 0u, -1}, {kDblClass, UINT(CS_DBLCLKS), -1},
                                        {u"Red", 0u, int(RGB(255, 0, 0))}, {u"Green", 0u, int(RGB(0, 255, 0))},
                                        {u"Blue", 0u, int(RGB(0, 0, 255))}}) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = name;
        wc.cbWndExtra = 8;
        wc.style = style;
        wc.hbrBackground = color < 0 ? nullptr : CreateSolidBrush(static_cast<COLORREF>(color));
        if (!RegisterClassW(&wc)) return false;
      }
      return true;
    }();
    ASSERT_TRUE(registered);
    Log().clear();
  }
  void TearDown() override {
    for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
    platform::wm::SetAppForeground(true);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) {
    }
    Recorded() = Recorder{};
  }

  // A window of class `cls`, known by its text in traces.
  HWND Make(const char16_t* cls, const char16_t* name, DWORD style, RECT r, HWND parent = nullptr, int id = 0,
            DWORD exStyle = 0) {
    HWND h = CreateWindowExW(exStyle, cls, name, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
    if (h) Recorded().names[h] = std::string(name, name + std::char_traits<char16_t>::length(name));
    return h;
  }
  // A top-level window of the recording class, full screen unless given a size.
  HWND Top(const char16_t* name, DWORD style = WS_VISIBLE, RECT r = {0, 0, 480, 800}) {
    return Make(kRecClass, name, style, r);
  }
  HWND Child(HWND parent, const char16_t* name, RECT r, int id = 0,
             DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS) {
    return Make(kRecClass, name, style, r, parent, id);
  }

  parlo_test::TempDevice device_;
};

}  // namespace wmtest
