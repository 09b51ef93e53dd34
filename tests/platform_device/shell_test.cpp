#include <cstring>
#include <tuple>

#include "aygshell.h"
#include "commctrl.h"
#include "device_fixture.h"
#include "platform/device/shell/shell_notifications.h"

namespace {

using parlo_test::DeviceTest;

const CLSID kUnreadClsid = {0x592A0D12, 0xF0AC, 0x411B, {0xA1, 0x75, 0x8B, 0x34, 0x82, 0x38, 0xF1, 0xFD}};

TEST_F(DeviceTest, RegistryGetDwordReadsOnlyFourByteDwords) {
  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", u"Count", 5), S_OK);
  DWORD v = 0;
  EXPECT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"\\System\\State\\Messages\\SMS\\Unread", u"Count", &v), S_OK);
  EXPECT_EQ(v, 5u);
  v = 77;
  EXPECT_TRUE(FAILED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", u"Unread", &v)));
  EXPECT_EQ(v, 77u);
  EXPECT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"System\\None", u"Count", &v),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  HKEY key = Create(HKEY_LOCAL_MACHINE, u"T");
  ASSERT_EQ(SetString(key, u"s", u"5"), ERROR_SUCCESS);
  EXPECT_TRUE(FAILED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"T", u"s", &v)));
  EXPECT_EQ(v, 77u);
  EXPECT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"T", u"s", nullptr), E_INVALIDARG);
  RegCloseKey(key);
}

TEST_F(DeviceTest, ShellNotificationsAreListedAddedReplacedAndRemovedByTheirClsid) {
  SHNOTIFICATIONDATA n{};
  n.cbStruct = sizeof n;
  n.dwID = 9114;
  n.clsid = kUnreadClsid;
  n.npPriority = SHNP_INFORM;
  n.pszTitle = u"새 메시지";
  n.pszHTML = u"<b>1</b>";
  ASSERT_EQ(SHNotificationAdd(&n), ERROR_SUCCESS);
  n.pszHTML = u"<b>2</b>";
  ASSERT_EQ(SHNotificationAdd(&n), ERROR_SUCCESS);
  std::vector<platform::device::ShellNotification> list;
  ASSERT_EQ(platform::device::ListShellNotifications(&list), ERROR_SUCCESS);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(std::tuple(list[0].clsid, list[0].id, list[0].title, list[0].html, list[0].time),
            std::tuple("{592A0D12-F0AC-411B-A175-8B348238F1FD}", 9114u, "새 메시지", "<b>2</b>", "2024-03-05 14:07:09"));
  // Another program (a fresh connection) sees the same set.
  platform::device::registry::Close();
  EXPECT_EQ(SHNotificationRemove(&kUnreadClsid, 1), ERROR_NOT_FOUND);
  EXPECT_EQ(SHNotificationRemove(&kUnreadClsid, 9114), ERROR_SUCCESS);
  ASSERT_EQ(platform::device::ListShellNotifications(&list), ERROR_SUCCESS);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(SHNotificationRemove(nullptr, 9114), ERROR_INVALID_PARAMETER);
  n.cbStruct = 4;
  EXPECT_EQ(SHNotificationAdd(&n), ERROR_INVALID_PARAMETER);
  // Their class identifiers as text, both ways.
  CLSID c{};
  ASSERT_TRUE(platform::device::ClsidFromString("{592a0d12-f0ac-411b-a175-8b348238f1fd}", &c));
  EXPECT_EQ(std::memcmp(&c, &kUnreadClsid, sizeof c), 0);
  EXPECT_EQ(platform::device::ClsidToString(c), "{592A0D12-F0AC-411B-A175-8B348238F1FD}");
  for (const char* bad : {"592A0D12-F0AC-411B-A175-8B348238F1FD", "{592A0D12-F0AC-411B-A175-8B348238F1FG}",
                          "{592A0D12F0AC-411B-A175-8B348238F1FD-}"})
    EXPECT_FALSE(platform::device::ClsidFromString(bad, &c)) << bad;
}

TEST(CommonControlsTest, InitialisationChecksTheRecordSize) {
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_DATE_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&icc));
  icc.dwSize = 4;
  EXPECT_FALSE(InitCommonControlsEx(&icc));
  EXPECT_FALSE(InitCommonControlsEx(nullptr));
}

}  // namespace
