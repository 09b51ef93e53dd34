// A screen and a focused window that records what the keyboard gives it, for the input panel.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/gdi/screen.h"
#include "platform/sip/input_mode.h"
#include "platform/sip/panel.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace siptest {

struct Got {
  UINT message;
  WPARAM wParam;
};

class SipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::gdi::CreateScreen(480, 800, 192, 192);
    WNDCLASSW wc{};
    wc.lpfnWndProc = TypistProc;
    wc.lpszClassName = u"Typist";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);  // already registered by an earlier test: fine
    typist_ = CreateWindowExW(0, u"Typist", u"typist", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(typist_, nullptr);
    SetActiveWindow(typist_);
    SetFocus(typist_);
    platform::sip::SetFocusedHangul(true);  // a Korean phone's fields start in Hangul
    platform::wm::PumpUntilIdle();
    Clear();
  }
  void TearDown() override {
    for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
    platform::wm::PumpUntilIdle();
    Clear();
  }

  // Messages of the kinds that matter here (keys, characters, setting changes), in order.
  std::vector<Got> Received(std::initializer_list<UINT> kinds) const {
    std::vector<Got> out;
    for (const Got& g : Log())
      for (UINT k : kinds)
        if (g.message == k) out.push_back(g);
    return out;
  }
  // The keys pressed as their letters or digits (VK_BACK as '\b'), shift shown as '+'.
  std::string Pressed() const {
    std::string out;
    for (const Got& g : Received({WM_KEYDOWN})) out += g.wParam == VK_SHIFT ? '+' : static_cast<char>(g.wParam);
    return out;
  }
  // The characters the window got as WM_CHAR.
  std::u16string Typed() const {
    std::u16string out;
    for (const Got& g : Received({WM_CHAR})) out += static_cast<char16_t>(g.wParam);
    return out;
  }
  // Where the panel's key named `name` is now (fails the test when there is none).
  RECT KeyRect(const std::string& name) const {
    for (const auto& k : platform::sip::PanelKeys())
      if (k.name == name) return k.rect;
    ADD_FAILURE() << "no key " << name;
    return RECT{};
  }
  void TapKey(const std::string& name) {
    RECT r = KeyRect(name);
    int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    platform::wm::InjectMouse(WM_LBUTTONDOWN, x, y);
    platform::wm::InjectMouse(WM_LBUTTONUP, x, y);
    platform::wm::PumpUntilIdle();
  }
  bool HasKey(const std::string& name) const {
    auto keys = platform::sip::PanelKeys();
    return std::any_of(keys.begin(), keys.end(), [&](const auto& k) { return k.name == name; });
  }
  void Clear() { Log().clear(); }

  HWND typist_ = nullptr;
  parlo_test::TempDevice device_;

 private:
  static std::vector<Got>& Log() {
    static std::vector<Got> log;
    return log;
  }
  static LRESULT CALLBACK TypistProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({msg, wParam});
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
};

}  // namespace siptest
