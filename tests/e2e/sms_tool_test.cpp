// parlo-device's short-message commands, seen from a program of the same device: the own number,
// failures injected from another process, and the outbox.
#include <filesystem>

#include "e2e/session.h"
#include "platform/sms/network.h"
#include "sms.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

class SmsTool : public DeviceTest {
 protected:
  void SetUp() override {
    platform::sms::UseNetwork(nullptr);
    DeviceTest::SetUp();
  }

  // One message sent by this process, as Parlo sends it.
  HRESULT SendHere(const std::u16string& text) {
    SMS_HANDLE h = 0;
    if (FAILED(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &h, nullptr))) return E_FAIL;
    SMS_ADDRESS to{SMSAT_INTERNATIONAL, {}};
    StringCchCopyW(to.ptsAddress, SMS_MAX_ADDRESS_LENGTH, u"0101234");
    BYTE block[SMS_TEXT_PROVIDER_DATA_SIZE] = {};
    HRESULT hr = SmsSendMessage(h, nullptr, &to, nullptr, reinterpret_cast<const BYTE*>(text.data()),
                                static_cast<DWORD>(text.size() * 2), block, sizeof block, SMSDE_OPTIMAL, 0, nullptr);
    SmsClose(h);
    return hr;
  }
};

TEST_F(SmsTool, InitGivesThePhoneANumberThatCanBeChangedAndCleared) {
  EXPECT_EQ(Device({"phone-number"}).out, "01055501234\n");
  ASSERT_EQ(Device({"phone-number", "+821099998888"}).exitCode, 0);
  SMS_ADDRESS own{};
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(std::u16string(own.ptsAddress), u"+821099998888");
  ASSERT_EQ(Device({"init", "--empty"}).exitCode, 0);  // a phone keeps its number
  EXPECT_EQ(Device({"phone-number"}).out, "+821099998888\n");

  Finished bad = Device({"phone-number", "010-9999"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("010-9999"), std::string::npos) << bad.err;
  EXPECT_EQ(Device({"phone-number"}).out, "+821099998888\n");

  ASSERT_EQ(Device({"phone-number", "--clear"}).exitCode, 0);
  Finished none = Device({"phone-number"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(SmsGetPhoneNumber(&own), E_FAIL);
}

TEST_F(SmsTool, FailuresSetFromOutsideReachTheNextSend) {
  ASSERT_EQ(Device({"sms", "fail", "--after", "1"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"one"), S_OK);
  EXPECT_EQ(SendHere(u"two"), SMS_E_NETWORK);
  ASSERT_EQ(Device({"sms", "ok"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"three"), S_OK);
  ASSERT_EQ(Device({"sms", "fail", "--after", "0"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"four"), SMS_E_NETWORK);

  Finished outbox = Device({"outbox"});
  EXPECT_EQ(outbox.exitCode, 0);
  EXPECT_EQ(outbox.out,
            "{\"to\":\"0101234\",\"text\":\"one\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"to\":\"0101234\",\"text\":\"three\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n");
}

TEST_F(SmsTool, BadCountsAndAMissingDeviceAreRefused) {
  for (const Args& args : std::vector<Args>{
           {"sms", "fail", "--after", "-1"}, {"sms", "fail", "--after", "01"}, {"sms", "fail"}, {"sms"}}) {
    Finished f = Device(args);
    EXPECT_EQ(f.exitCode, 2) << args.back();
    EXPECT_EQ(Lines(f.err), 1) << f.err;
  }
  EXPECT_EQ(SendHere(u"still fine"), S_OK);

  fs::path missing = device_.dir() / "no-phone";
  Finished f = e2e::Run("parlo-device", {"--device", missing.string(), "sms", "fail", "--after", "0"});
  EXPECT_EQ(f.exitCode, 2);
  EXPECT_NE(f.err.find("init"), std::string::npos) << f.err;
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
