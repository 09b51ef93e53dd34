#include "sip_fixture.h"

#include "platform/gdi/screen.h"
#include "platform/sip/input_mode.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"

namespace siptest {
namespace {

std::vector<Got>& Log() {
  static std::vector<Got> log;
  return log;
}

LRESULT CALLBACK TypistProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back({msg, wParam});
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void SipTest::SetUp() {
  platform::gdi::CreateScreen(480, 800, 192, 192);
  static bool once = false;
  if (!once) {
    once = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = TypistProc;
    wc.lpszClassName = u"Typist";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  typist_ = CreateWindowExW(0, u"Typist", u"typist", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(typist_);
  SetFocus(typist_);
  platform::sip::SetFocusedHangul(true);  // a Korean phone's fields start in Hangul
  platform::wm::PumpUntilIdle();
  Log().clear();
}

void SipTest::TearDown() {
  for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
  platform::wm::PumpUntilIdle();
  Log().clear();
}

std::vector<Got> SipTest::Received(std::initializer_list<UINT> kinds) const {
  std::vector<Got> out;
  for (const Got& g : Log())
    for (UINT k : kinds)
      if (g.message == k) out.push_back(g);
  return out;
}

std::u16string SipTest::Typed() const {
  std::u16string out;
  for (const Got& g : Received({WM_CHAR})) out += static_cast<char16_t>(g.wParam);
  return out;
}

RECT SipTest::KeyRect(const std::string& name) const {
  for (const auto& k : platform::sip::PanelKeys())
    if (k.name == name) return k.rect;
  ADD_FAILURE() << "no key " << name;
  return RECT{};
}

void SipTest::TapKey(const std::string& name) {
  RECT r = KeyRect(name);
  int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  platform::wm::InjectMouse(WM_LBUTTONDOWN, x, y);
  platform::wm::InjectMouse(WM_LBUTTONUP, x, y);
  platform::wm::PumpUntilIdle();
}

void SipTest::Clear() { Log().clear(); }

}  // namespace siptest
