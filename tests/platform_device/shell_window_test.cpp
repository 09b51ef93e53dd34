#include <tuple>

#include "aygshell.h"
#include "device_fixture.h"
#include "platform/device/shell/shell_window.h"

namespace {

class ShellWindowTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenWindow(u"ShellTestFrame");
  }
  void TearDown() override {
    platform::device::SetSipPreferenceHandler(nullptr);
    platform::device::SetDialogInitHandler(nullptr);
    DeviceTest::TearDown();
  }
};

TEST_F(ShellWindowTest, FullScreenFlagsAndInitDialogSizeTheWindowAndSipPreferencesReachThePanel) {
  HWND hwnd = window_->hwnd();
  ASSERT_TRUE(SHFullScreen(hwnd, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON));  // 10, as the frame asks
  auto s = platform::device::FullScreenState(hwnd);
  EXPECT_EQ(std::tuple(s.taskbarHidden, s.sipButtonHidden), std::tuple(true, true));
  ASSERT_TRUE(SHFullScreen(hwnd, SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON));  // 5
  s = platform::device::FullScreenState(hwnd);
  EXPECT_EQ(std::tuple(s.taskbarHidden, s.sipButtonHidden), std::tuple(false, false));
  EXPECT_FALSE(SHFullScreen(nullptr, SHFS_HIDETASKBAR));
  // The state ends with the window.
  ASSERT_TRUE(SHFullScreen(hwnd, SHFS_HIDETASKBAR));
  DestroyWindow(hwnd);
  EXPECT_FALSE(platform::device::FullScreenState(hwnd).taskbarHidden);
  // Init dialog sizes to the screen; SIP preferences reach the panel.
  HWND dlg = CreateWindowExW(0, u"ShellTestFrame", u"About", WS_VISIBLE, 20, 30, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(dlg, nullptr);
  std::vector<int> sip;
  DWORD dialogFlags = 0;
  platform::device::SetSipPreferenceHandler([&](HWND, int state) { sip.push_back(state); });
  platform::device::SetDialogInitHandler([&](HWND, DWORD flags) { dialogFlags = flags; });
  SHINITDLGINFO info{SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};  // 13
  ASSERT_TRUE(SHInitDialog(&info));
  RECT r{};
  GetWindowRect(dlg, &r);
  EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom),
            std::tuple(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(sip, std::vector<int>{SIP_DOWN});
  EXPECT_EQ(dialogFlags, DWORD(13));
  info.dwMask = 0;
  EXPECT_FALSE(SHInitDialog(&info));
  EXPECT_FALSE(SHInitDialog(nullptr));
  // The program's own preference reaches the panel too; unchanged and bad ones do not.
  EXPECT_TRUE(SHSipPreference(dlg, SIP_DOWN));
  EXPECT_TRUE(SHSipPreference(dlg, SIP_UNCHANGED));
  EXPECT_FALSE(SHSipPreference(dlg, static_cast<SIPSTATE>(9)));
  EXPECT_FALSE(SHSipPreference(nullptr, SIP_DOWN));
  EXPECT_EQ(sip, (std::vector<int>{SIP_DOWN, SIP_DOWN}));
  DestroyWindow(dlg);
}

}  // namespace
