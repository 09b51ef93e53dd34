// The panel's keys press the hardware keys a keyboard would: what the focused window receives.
#include "platform/sip/input_mode.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "sip_fixture.h"
#include "sipapi.h"

namespace siptest {
namespace {

class KeysTest : public SipTest {
 protected:
  void SetUp() override {
    SipTest::SetUp();
    SipShowIM(SIPF_ON);
    platform::wm::PumpUntilIdle();
    Clear();
  }
};

TEST_F(KeysTest, HangulKeysPressTheTwoSetLettersWithShiftForDoubledOnes) {
  struct Case {
    std::vector<std::string> taps;
    std::string pressed;
  } cases[] = {
      {{"ㄱ"}, "R"},
      {{"ㅏ", "ㅣ"}, "KL"},
      {{"shift", "ㄲ"}, "+R"},
      {{"shift", "ㅖ"}, "+P"},
      {{"shift", "ㅛ"}, "Y"},  // shift gives nothing else, so none is pressed
      {{"shift", "ㅃ", "ㅂ"}, "+QQ"},  // shift holds for one key
  };
  for (const Case& c : cases) {
    Clear();
    for (const std::string& t : c.taps) TapKey(t);
    EXPECT_EQ(Pressed(), c.pressed) << c.taps.back();
  }
}

TEST_F(KeysTest, LatinAndSymbolKeysTypeTheirCharacters) {
  TapKey("mode");
  ASSERT_TRUE(HasKey("q"));
  EXPECT_FALSE(platform::sip::FocusedIsHangul());
  for (const char* k : {"h", "shift", "I", ",", "space", "mode", "1", "!", "?", "\"", "enter"}) TapKey(k);
  EXPECT_EQ(Typed(), u"hI, 1!?\"\r");
  TapKey("mode");
  EXPECT_TRUE(HasKey("ㅂ"));
  EXPECT_TRUE(platform::sip::FocusedIsHangul());
}

TEST_F(KeysTest, TheKeyUnderTheFingerWhenItLiftsIsTypedAndBackspaceRepeats) {
  RECT from = KeyRect("ㅂ"), to = KeyRect("ㅈ");
  platform::wm::InjectMouse(WM_LBUTTONDOWN, from.left + 5, from.top + 5);
  platform::wm::InjectMouse(WM_MOUSEMOVE, to.left + 5, to.top + 5);
  platform::wm::InjectMouse(WM_LBUTTONUP, to.left + 5, to.top + 5);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Pressed(), "W");
  // Lifted between keys: nothing.
  Clear();
  platform::wm::InjectMouse(WM_LBUTTONDOWN, from.left + 5, from.top + 5);
  platform::wm::InjectMouse(WM_LBUTTONUP, 1, from.top - 2);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Pressed(), "");
  // Backspace repeats while held: at once, at 450 ms, then every 70.
  RECT r = KeyRect("backspace");
  platform::wm::InjectMouse(WM_LBUTTONDOWN, r.left + 5, r.top + 5);
  platform::wm::AdvanceClock(600);
  platform::wm::InjectMouse(WM_LBUTTONUP, r.left + 5, r.top + 5);
  platform::wm::AdvanceClock(500);
  EXPECT_EQ(Pressed(), "\b\b\b\b");
}

// A modal dialog's fields are typed into with the panel, and the panel lowered off the dialog.
TEST_F(KeysTest, WorksWhileAModalLoopRuns) {
  HWND dialog = CreateWindowExW(0, u"Typist", u"dialog", WS_POPUP | WS_VISIBLE, 0, 0, 480, 400, typist_, nullptr,
                                nullptr, nullptr);
  SetActiveWindow(dialog);
  SetFocus(dialog);
  platform::wm::EnterModal(dialog);
  Clear();
  TapKey("space");
  TapKey("hide");
  platform::wm::LeaveModal(dialog);
  EXPECT_EQ(Pressed(), " ");
  EXPECT_FALSE(platform::sip::PanelShown());
}

TEST_F(KeysTest, LayoutFollowsTheInputModeAProgramSets) {
  for (auto [hangul, key] : {std::pair{false, "q"}, {true, "ㅂ"}}) {
    platform::sip::SetFocusedHangul(hangul);
    platform::wm::PumpUntilIdle();
    EXPECT_TRUE(HasKey(key)) << key;
  }
}

}  // namespace
}  // namespace siptest
