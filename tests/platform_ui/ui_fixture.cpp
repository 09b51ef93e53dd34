#include "ui_fixture.h"

#include <deque>

#include "platform/gdi/screen.h"
#include "platform/gdi/window_dc.h"
#include "platform/ui/controls.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"

namespace uitest {
namespace {

const char16_t kOwnerClass[] = u"UiTestOwner";
// A step that never comes true would spin the modal loop for ever; past this many idle
// rounds the script gives up, fails the test and closes whatever is up.
constexpr int kPatience = 500;

std::deque<Step> g_script;
int g_rounds = 0;
std::vector<Received> g_log;
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> g_handler;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_log.push_back(Received{msg, wParam, lParam});
  LRESULT r = 0;
  if (g_handler && g_handler(hwnd, msg, wParam, lParam, &r)) return r;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void GiveUp() {
  ADD_FAILURE() << "a scripted step never came true";
  g_script.clear();
  platform::ui::CancelMenu();
  if (auto box = platform::ui::CurrentMessageBox()) platform::ui::AnswerMessageBox(box->buttonIds.front());
  if (auto dlg = platform::ui::CurrentDialog()) EndDialog(dlg->hwnd, -2);
}

void RunScript() {
  if (g_script.empty()) return;
  if (++g_rounds > kPatience) {
    GiveUp();
    return;
  }
  Step step = g_script.front();
  if (step()) {
    g_script.pop_front();
    g_rounds = 0;
  }
}

}  // namespace

void UiTest::SetUp() {
  platform::gdi::CreateScreen(480, 800, 192, 192);
  platform::ui::RegisterSystemClasses();
  static bool once = false;
  if (!once) {
    once = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = kOwnerClass;
    // A background, so whatever system UI covered the owner is painted over when it goes.
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    ASSERT_NE(RegisterClassW(&wc), 0);
    platform::wm::AddIdlePoller(RunScript);
  }
  g_script.clear();
  g_rounds = 0;
  g_log.clear();
  g_handler = nullptr;
  owner_ = CreateWindowExW(0, kOwnerClass, u"owner", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner_, nullptr);
  SetActiveWindow(owner_);
  SetFocus(owner_);
  platform::wm::PumpUntilIdle();
}

void UiTest::TearDown() {
  EXPECT_TRUE(g_script.empty()) << "steps left unrun";
  g_script.clear();
  for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  g_handler = nullptr;
  g_log.clear();
  platform::ui::SetMessageBoxAutoAnswer(nullptr);
  platform::ui::ClearMessageBoxLog();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

std::vector<Received> UiTest::Got(UINT message) const {
  std::vector<Received> out;
  for (const Received& r : g_log)
    if (r.message == message) out.push_back(r);
  return out;
}

void UiTest::ClearLog() { g_log.clear(); }

void UiTest::OnOwner(std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler) { g_handler = std::move(handler); }

void UiTest::Then(Step step) { g_script.push_back(std::move(step)); }
bool UiTest::ScriptDone() const { return g_script.empty(); }

void UiTest::Tap(int x, int y) {
  platform::wm::InjectMouse(WM_LBUTTONDOWN, x, y);
  platform::wm::InjectMouse(WM_LBUTTONUP, x, y);
}

void UiTest::PressKey(UINT vk) {
  platform::wm::InjectKey(vk, true);
  platform::wm::PumpUntilIdle();
  platform::wm::InjectKey(vk, false);
  platform::wm::PumpUntilIdle();
}

void UiTest::Stroke(UINT vk) {
  platform::wm::InjectKey(vk, true);
  platform::wm::InjectKey(vk, false);
}

void UiTest::TypeKeys(const std::string& keys) {
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

HWND UiTest::Control(LPCWSTR cls, DWORD style, int id, RECT r, LPCWSTR text) {
  HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, owner_, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  EXPECT_NE(h, nullptr);
  platform::wm::PumpUntilIdle();
  return h;
}

void UiTest::TapCentre(const RECT& r) { Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

std::u16string TextOf(HWND h) {
  std::u16string t(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, u'\0');
  t.resize(static_cast<size_t>(GetWindowTextW(h, t.data(), static_cast<int>(t.size()))));
  return t;
}

bool OnScreen(const std::u16string& text) {
  for (const auto& run : platform::gdi::ScreenTextRuns())
    if (run.text.find(text) != std::u16string::npos) return true;
  return false;
}

}  // namespace uitest
