// Raising and lowering the panel: what the shell reports and what the program hears.
#include <algorithm>
#include <tuple>

#include "aygshell.h"
#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "sip_fixture.h"
#include "sipapi.h"

namespace siptest {
namespace {

class PanelTest : public SipTest {};

SIPINFO Info() {
  SIPINFO si{};
  si.cbSize = sizeof si;
  EXPECT_TRUE(SipGetInfo(&si));
  return si;
}

int SettingChanges(const std::vector<Got>& got) {
  int n = 0;
  for (const Got& g : got) n += g.wParam == SPI_SETSIPINFO;
  return n;
}

TEST_F(PanelTest, EachChangeIsAnnouncedOnceAndBadRequestsAreRefused) {
  for (DWORD flags : {SIPF_ON, SIPF_ON, SIPF_OFF, SIPF_OFF}) ASSERT_TRUE(SipShowIM(flags));
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(SettingChanges(Received({WM_SETTINGCHANGE})), 2);
  EXPECT_EQ(Info().fdwFlags & SIPF_ON, 0u);
  // Bad requests are refused and change nothing.
  SIPINFO small{};
  small.cbSize = 20;
  EXPECT_EQ(std::tuple(SipGetInfo(&small), SipGetInfo(nullptr), SipShowIM(0x100), SHSipInfo(SPI_GETWORKAREA, 0, nullptr, 0)),
            std::tuple(FALSE, FALSE, FALSE, FALSE));
  EXPECT_FALSE(platform::sip::PanelShown());
}

TEST_F(PanelTest, ShellReportsThePhonesRecordAndLowersThePanelForAWindow) {
  SipShowIM(SIPF_ON);
  struct {
    DWORD cbSize, fdwFlags;
    RECT visible, sip;
    DWORD imDataSize, imData;  // the phone's 48 bytes
  } phone{};
  static_assert(sizeof phone == 48);
  phone.cbSize = 48;
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &phone, 0));
  EXPECT_EQ(phone.fdwFlags & SIPF_ON, static_cast<DWORD>(SIPF_ON));
  EXPECT_EQ(phone.sip.top, Info().rcSipRect.top);
  ASSERT_TRUE(SHSipPreference(typist_, SIP_DOWN));
  EXPECT_FALSE(platform::sip::PanelShown());
}

// The shown panel lies along the bottom with the desktop above it, stays in front of windows
// activated later and never takes the focus.
TEST_F(PanelTest, ShownPanelLiesAlongTheBottomStaysInFrontAndNeverTakesTheFocus) {
  EXPECT_EQ(Info().fdwFlags & SIPF_ON, 0u);
  ASSERT_TRUE(SipShowIM(SIPF_ON));
  HWND other = CreateWindowExW(0, u"Typist", u"other", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  SetActiveWindow(typist_);
  SetFocus(typist_);
  platform::wm::PumpUntilIdle();
  SIPINFO si = Info();
  EXPECT_EQ(si.fdwFlags & SIPF_ON, static_cast<DWORD>(SIPF_ON));
  EXPECT_EQ(std::tuple(si.rcSipRect.left, si.rcSipRect.right, si.rcSipRect.bottom), std::tuple(0, 480, 800));
  EXPECT_GT(si.rcSipRect.top, 400);  // room above for what is being typed
  EXPECT_EQ(si.rcVisibleDesktop.bottom, si.rcSipRect.top);
  EXPECT_EQ(WindowFromPoint(POINT{240, si.rcSipRect.top + 5}), platform::sip::PanelWindow());
  EXPECT_EQ(WindowFromPoint(POINT{240, si.rcSipRect.top - 5}), typist_);
  TapKey("space");
  EXPECT_EQ(std::tuple(GetFocus(), GetActiveWindow()), std::tuple(typist_, typist_));
}

TEST_F(PanelTest, DrawnOverTheProgramAndGoneWhenLowered) {
  SipShowIM(SIPF_ON);
  platform::wm::PumpUntilIdle();
  auto labelShown = [](const std::u16string& label) {
    auto runs = platform::gdi::ScreenTextRuns();
    return std::any_of(runs.begin(), runs.end(), [&](const auto& run) { return run.text == label; });
  };
  EXPECT_TRUE(labelShown(u"ㅂ"));
  EXPECT_TRUE(labelShown(u"ABC"));  // the mode key says where it goes
  TapKey("hide");
  EXPECT_FALSE(platform::sip::PanelShown());
  EXPECT_FALSE(labelShown(u"ㅂ"));
  EXPECT_EQ(SettingChanges(Received({WM_SETTINGCHANGE})), 2);
  // The program's white shows again where the panel was.
  EXPECT_EQ(platform::gdi::ScreenPixels()[790 * 480 + 240] & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
}  // namespace siptest
