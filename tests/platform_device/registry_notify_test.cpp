#include <sqlite3.h>

#include "aygshell.h"
#include "device_fixture.h"
#include "platform/base/clock.h"
#include "platform/device/shell/system_clock_value.h"
#include "platform/wm/loop.h"
#include "test_window.h"

namespace {

using platform::wm::PumpUntilIdle;

constexpr UINT kClockChanged = 1044;
constexpr UINT kUnreadChanged = 0x41E;

class RegistryNotifyTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    window_ = std::make_unique<devtest::TestWindow>(u"NotifyTestFrame");
    PumpUntilIdle();
  }
  void TearDown() override {
    window_.reset();
    PumpUntilIdle();
    DeviceTest::TearDown();
  }
  HWND hwnd() const { return window_->hwnd(); }
  void SetCount(DWORD v) {
    ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", u"Count", v), S_OK);
  }
  // Another program's write, through its own connection to the file.
  void OtherProgramSetsCount(DWORD v) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((dir() / "registry.db").c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 2000);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE reg_meta SET value=value+1 WHERE name='serial'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(other,
                                 "UPDATE reg_values SET data=?, serial=(SELECT value FROM reg_meta WHERE name='serial') "
                                 "WHERE fold='count'",
                                 -1, &s, nullptr),
              SQLITE_OK);
    sqlite3_bind_blob(s, 1, &v, 4, SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(s), SQLITE_DONE);
    EXPECT_EQ(sqlite3_changes(other), 1);
    sqlite3_finalize(s);
    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
  }
  HREGNOTIFY WatchCount(NOTIFICATIONCONDITION* condition = nullptr, DWORD userData = 0) {
    HREGNOTIFY h = nullptr;
    EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", u"Count", hwnd(),
                                   kUnreadChanged, userData, condition, &h),
              S_OK);
    return h;
  }

  std::unique_ptr<devtest::TestWindow> window_;
};

TEST_F(RegistryNotifyTest, AnotherProgramsWriteIsPostedAfterAnIdlePassAndNothingElse) {
  SetCount(1);
  HREGNOTIFY h = WatchCount(nullptr, 0x55);
  PumpUntilIdle();
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kUnreadChanged).empty());  // nothing while nothing changes
  OtherProgramSetsCount(6);
  PumpUntilIdle();
  auto got = window_->Only(kUnreadChanged);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, WPARAM(0x55));
  EXPECT_EQ(got[0].lParam, LPARAM(6));
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged).size(), 1u);  // once per write, not per pass
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, OwnWritesCreationAndDeletionAreEachPosted) {
  HREGNOTIFY h = WatchCount();  // the value does not exist yet
  SetCount(3);
  PumpUntilIdle();
  SetCount(3);  // the same value written again is a write too
  PumpUntilIdle();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", 0, 0, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueW(key, u"Count"), ERROR_SUCCESS);
  RegCloseKey(key);
  PumpUntilIdle();
  auto got = window_->Only(kUnreadChanged);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].lParam, 3);
  EXPECT_EQ(got[2].lParam, 0);
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, AClosedNotificationOrOneWhoseWindowIsGonePostsNothing) {
  SetCount(1);
  HREGNOTIFY h = WatchCount();
  EXPECT_EQ(RegistryCloseNotification(h), S_OK);
  EXPECT_EQ(RegistryCloseNotification(h), E_INVALIDARG);
  SetCount(2);
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kUnreadChanged).empty());
  h = WatchCount();
  DestroyWindow(hwnd());
  SetCount(3);
  PumpUntilIdle();
  EXPECT_EQ(RegistryCloseNotification(h), E_INVALIDARG);  // already gone
}

TEST_F(RegistryNotifyTest, ConditionFiltersByTheNewValue) {
  SetCount(4);
  NOTIFICATIONCONDITION zero{REG_CT_EQUAL, 0, {}};
  zero.TargetValue.dw = 0;
  HREGNOTIFY h = WatchCount(&zero);
  SetCount(2);
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kUnreadChanged).empty());
  SetCount(0);
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged).size(), 1u);
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, BadArgumentsAreRefused) {
  HREGNOTIFY h = reinterpret_cast<HREGNOTIFY>(1);
  EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"A", u"B", nullptr, 1, 0, nullptr, &h), E_INVALIDARG);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"A", u"B", hwnd(), 1, 0, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(RegistryNotifyWindow(reinterpret_cast<HKEY>(0x1234), u"A", u"B", hwnd(), 1, 0, nullptr, &h),
            HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryNotifyTest, ClockValueNotifiesOncePerMinuteOfThePlatformClock) {
  platform::device::StartSystemClockValue();
  HREGNOTIFY h = nullptr;
  ASSERT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"System\\State\\DateTime", u"Time", hwnd(), kClockChanged, 0,
                                 nullptr, &h),
            S_OK);
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kClockChanged).empty());
  platform::wm::AdvanceClock(50 * 1000);  // 14:07:59
  EXPECT_TRUE(window_->Only(kClockChanged).empty());
  platform::wm::AdvanceClock(1000);  // 14:08:00
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kClockChanged).size(), 1u);
  platform::wm::AdvanceClock(120 * 1000);
  PumpUntilIdle();
  EXPECT_GE(window_->Only(kClockChanged).size(), 2u);
  RegistryCloseNotification(h);
}

}  // namespace
