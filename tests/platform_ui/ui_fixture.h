// A screen, an owner window that records what it is sent, and a script of steps run from the
// idle poller, so a test can answer system UI from inside its modal loop.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/gdi/screen.h"
#include "platform/ui/controls.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace uitest {

// A message as a window received it.
using Received = MSG;

// A step runs each time the loop goes idle until it returns true; then the next one runs.
using Step = std::function<bool()>;
using OwnerHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

namespace detail {

inline const char16_t kOwnerClass[] = u"UiTestOwner";
// A step that never comes true would spin the modal loop for ever; past this many idle
// rounds the script gives up, fails the test and closes whatever is up.
constexpr int kPatience = 500;

inline std::deque<Step> script;
inline int rounds = 0;
inline std::vector<Received> log;
inline OwnerHandler handler;

inline LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  log.push_back(Received{hwnd, msg, wParam, lParam, 0, {}});
  LRESULT r = 0;
  if (handler && handler(hwnd, msg, wParam, lParam, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline void RunScript() {
  if (script.empty()) return;
  if (++rounds > kPatience) {
    ADD_FAILURE() << "a scripted step never came true";
    script.clear();
    platform::ui::CancelMenu();
    if (auto box = platform::ui::CurrentMessageBox()) platform::ui::AnswerMessageBox(box->buttonIds.front());
    if (auto dlg = platform::ui::CurrentDialog()) EndDialog(dlg->hwnd, -2);
    return;
  }
  Step step = script.front();
  if (step()) {
    script.pop_front();
    rounds = 0;
  }
}

}  // namespace detail

class UiTest : public ::testing::Test {
 public:
  static void Tap(int x, int y) {
    platform::wm::InjectMouse(WM_LBUTTONDOWN, x, y);
    platform::wm::InjectMouse(WM_LBUTTONUP, x, y);
  }
  static void TapCentre(const RECT& r) { Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  // A key pressed and released on the hardware keyboard, each step handled before the next.
  static void PressKey(UINT vk) {
    platform::wm::InjectKey(vk, true);
    platform::wm::PumpUntilIdle();
    platform::wm::InjectKey(vk, false);
    platform::wm::PumpUntilIdle();
  }
  // A key pressed and released without waiting: for a step, inside a modal loop.
  static void Stroke(UINT vk) {
    platform::wm::InjectKey(vk, true);
    platform::wm::InjectKey(vk, false);
  }
  // Keys by their letters: a-z, A-Z with shift, '<' backspace, ' ' space, '\r' enter.
  static void TypeKeys(const std::string& keys) {
    for (char c : keys) {
      if (c >= 'A' && c <= 'Z') {
        platform::wm::InjectKey(VK_SHIFT, true);
        platform::wm::PumpUntilIdle();
        PressKey(static_cast<UINT>(c));
        platform::wm::InjectKey(VK_SHIFT, false);
        platform::wm::PumpUntilIdle();
      } else if (c >= 'a' && c <= 'z') {
        PressKey(static_cast<UINT>(c - 32));
      } else {
        PressKey(c == '<' ? VK_BACK : c == '\r' ? VK_RETURN : VK_SPACE);
      }
    }
  }

 protected:
  void SetUp() override {
    platform::gdi::CreateScreen(480, 800, 192, 192);
    platform::ui::RegisterSystemClasses();
    static bool once = false;
    if (!once) {
      once = true;
      WNDCLASSW wc{};
      wc.lpfnWndProc = detail::OwnerProc;
      wc.lpszClassName = detail::kOwnerClass;
      // A background, so whatever system UI covered the owner is painted over when it goes.
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      ASSERT_NE(RegisterClassW(&wc), 0);
      platform::wm::AddIdlePoller(detail::RunScript);
    }
    detail::script.clear();
    detail::rounds = 0;
    detail::log.clear();
    detail::handler = nullptr;
    owner_ = CreateWindowExW(0, detail::kOwnerClass, u"owner", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
    SetActiveWindow(owner_);
    SetFocus(owner_);
    platform::wm::PumpUntilIdle();
  }
  void TearDown() override {
    EXPECT_TRUE(detail::script.empty()) << "steps left unrun";
    detail::script.clear();
    for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    detail::handler = nullptr;
    detail::log.clear();
    platform::ui::SetMessageBoxAutoAnswer(nullptr);
    platform::ui::ClearMessageBoxLog();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }

  // A system control (EDIT, BUTTON) on the owner, with `id` and its client-area rectangle.
  HWND Control(LPCWSTR cls, DWORD style, int id, RECT r, LPCWSTR text = u"") {
    HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, owner_, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr,
                             nullptr);
    EXPECT_NE(h, nullptr);
    platform::wm::PumpUntilIdle();
    return h;
  }
  // What the owner received of `message`, in order.
  std::vector<Received> Got(UINT message) const {
    std::vector<Received> out;
    for (const Received& r : detail::log)
      if (r.message == message) out.push_back(r);
    return out;
  }
  // How many notifications `code` the control `id` sent the owner.
  int Notes(WORD code, int id) const {
    int n = 0;
    for (const Received& r : Got(WM_COMMAND)) n += HIWORD(r.wParam) == code && LOWORD(r.wParam) == id;
    return n;
  }
  void ClearLog() { detail::log.clear(); }
  // Lets the owner answer a message itself (returns true when it did).
  void OnOwner(OwnerHandler handler) { detail::handler = std::move(handler); }

  void Then(Step step) { detail::script.push_back(std::move(step)); }

  parlo_test::TempDevice device_;
  // A full-screen top-level window of the recording class, active and focused.
  HWND owner_ = nullptr;
};

// A window's text.
inline std::u16string TextOf(HWND h) {
  std::u16string t(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, u'\0');
  t.resize(static_cast<size_t>(GetWindowTextW(h, t.data(), static_cast<int>(t.size()))));
  return t;
}

// The first text on the screen now that holds `text`.
inline std::optional<platform::gdi::TextRun> RunWith(const std::u16string& text) {
  for (const auto& run : platform::gdi::ScreenTextRuns())
    if (run.text.find(text) != std::u16string::npos) return run;
  return std::nullopt;
}
inline bool OnScreen(const std::u16string& text) { return RunWith(text).has_value(); }

}  // namespace uitest
