#include <cstdio>
#include <tuple>

#include "aygshell.h"
#include "device_fixture.h"
#include "platform/base/clock.h"
#include "platform/device/shell/system_clock_value.h"

namespace {

using platform::wm::PumpUntilIdle;

constexpr UINT kClockChanged = 1044;
constexpr UINT kUnreadChanged = 0x41E;

class RegistryNotifyTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenWindow(u"NotifyTestFrame");
  }
  HWND hwnd() const { return window_->hwnd(); }
  void SetCount(DWORD v) {
    ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", u"Count", v), S_OK);
  }
  void OtherProgramSetsCount(uint8_t v) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", v);
    EXPECT_EQ(OtherProgramRuns("UPDATE reg_meta SET value=value+1 WHERE name='serial';"
                               "UPDATE reg_values SET data=x'" + std::string(hex) + "000000', serial=(SELECT value "
                               "FROM reg_meta WHERE name='serial') WHERE fold='count'"),
              2);
  }
  // The clock value: the eight bytes of a FILETIME, read as the local time they hold.
  SYSTEMTIME ClockValue() {
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"System\\State\\DateTime");
    FILETIME ft{};
    DWORD type = 0, size = sizeof ft;
    EXPECT_EQ(RegQueryValueExW(key, u"Time", nullptr, &type, reinterpret_cast<BYTE*>(&ft), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::tuple(type, size), std::tuple(DWORD(REG_BINARY), 8u));
    RegCloseKey(key);
    SYSTEMTIME st{};
    EXPECT_TRUE(FileTimeToSystemTime(&ft, &st));
    return st;
  }
  HREGNOTIFY WatchCount(NOTIFICATIONCONDITION* condition = nullptr, DWORD userData = 0) {
    HREGNOTIFY h = nullptr;
    EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", u"Count", hwnd(),
                                   kUnreadChanged, userData, condition, &h),
              S_OK);
    return h;
  }
};

TEST_F(RegistryNotifyTest, AnotherProgramsWriteIsPostedAfterAnIdlePassAndNothingElse) {
  SetCount(1);
  HREGNOTIFY h = WatchCount(nullptr, 0x55);
  PumpUntilIdle();
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kUnreadChanged).empty());  // nothing while nothing changes
  OtherProgramSetsCount(6);
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged), (parlo_test::Posts{{kUnreadChanged, 0x55, 6}}));
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged).size(), 1u);  // once per write, not per pass
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, OwnWritesCreationAndDeletionAreEachPostedUnlessAConditionFiltersThem) {
  HREGNOTIFY h = WatchCount();  // the value does not exist yet
  SetCount(3);
  PumpUntilIdle();
  SetCount(3);  // the same value written again is a write too
  PumpUntilIdle();
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread");
  ASSERT_EQ(RegDeleteValueW(key, u"Count"), ERROR_SUCCESS);
  RegCloseKey(key);
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged),
            (parlo_test::Posts{{kUnreadChanged, 0, 3}, {kUnreadChanged, 0, 3}, {kUnreadChanged, 0, 0}}));
  RegistryCloseNotification(h);
  // A condition filters by the new value.
  NOTIFICATIONCONDITION zero{REG_CT_EQUAL, 0, {}};
  zero.TargetValue.dw = 0;
  h = WatchCount(&zero, 7);
  SetCount(2);
  PumpUntilIdle();
  SetCount(0);
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kUnreadChanged).back(), (parlo_test::Received{kUnreadChanged, 7, 0}));
  EXPECT_EQ(window_->Only(kUnreadChanged).size(), 4u);
  RegistryCloseNotification(h);
}

TEST_F(RegistryNotifyTest, BadArgumentsAClosedNotificationOrOneWhoseWindowIsGonePostNothing) {
  HREGNOTIFY bad = reinterpret_cast<HREGNOTIFY>(1);
  EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"A", u"B", nullptr, 1, 0, nullptr, &bad), E_INVALIDARG);
  EXPECT_EQ(bad, nullptr);
  EXPECT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"A", u"B", hwnd(), 1, 0, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(RegistryNotifyWindow(reinterpret_cast<HKEY>(0x1234), u"A", u"B", hwnd(), 1, 0, nullptr, &bad),
            HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
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

// The clock value holds the local minute and changes, with one notification, only with the minute.
TEST_F(RegistryNotifyTest, ClockValueIsTheLocalMinuteAndNotifiesOncePerMinuteOfThePlatformClock) {
  platform::device::StartSystemClockValue();
  SYSTEMTIME st = ClockValue();
  EXPECT_EQ(std::tuple(st.wYear, st.wHour, st.wMinute, st.wSecond), std::tuple(2024, 14, 7, 0));
  HREGNOTIFY h = nullptr;
  ASSERT_EQ(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, u"System\\State\\DateTime", u"Time", hwnd(), kClockChanged, 0,
                                 nullptr, &h),
            S_OK);
  PumpUntilIdle();
  EXPECT_TRUE(window_->Only(kClockChanged).empty());
  platform::wm::AdvanceClock(50 * 1000);  // 14:07:59
  EXPECT_FALSE(platform::device::RefreshSystemClockValue());
  EXPECT_TRUE(window_->Only(kClockChanged).empty());
  platform::wm::AdvanceClock(1000);  // 14:08:00
  PumpUntilIdle();
  EXPECT_EQ(window_->Only(kClockChanged).size(), 1u);
  EXPECT_EQ(ClockValue().wMinute, 8);
  platform::wm::AdvanceClock(120 * 1000);
  PumpUntilIdle();
  EXPECT_GE(window_->Only(kClockChanged).size(), 2u);
  RegistryCloseNotification(h);
}

}  // namespace
