// parlo-device's short-message commands, seen from a program of the same device: the own number,
// failures injected from another process, and the outbox.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/process.h"
#include "kit/temp_device.h"
#include "platform/sms/network.h"
#include "sms.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

class SmsTool : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::sms::UseNetwork(nullptr);
    ASSERT_EQ(Tool({"init", "--empty"}).exitCode, 0);
  }

  e2e::Finished Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--device", device_.dir().string()});
    return e2e::Run("parlo-device", args);
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

  parlo_test::TempDevice device_;
};

TEST_F(SmsTool, InitGivesThePhoneANumberThatCanBeChangedAndCleared) {
  EXPECT_EQ(Tool({"phone-number"}).out, "01055501234\n");
  ASSERT_EQ(Tool({"phone-number", "+821099998888"}).exitCode, 0);
  SMS_ADDRESS own{};
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(std::u16string(own.ptsAddress), u"+821099998888");
  ASSERT_EQ(Tool({"init", "--empty"}).exitCode, 0);  // a phone keeps its number
  EXPECT_EQ(Tool({"phone-number"}).out, "+821099998888\n");

  e2e::Finished bad = Tool({"phone-number", "010-9999"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("010-9999"), std::string::npos) << bad.err;
  EXPECT_EQ(Tool({"phone-number"}).out, "+821099998888\n");

  ASSERT_EQ(Tool({"phone-number", "--clear"}).exitCode, 0);
  e2e::Finished none = Tool({"phone-number"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(SmsGetPhoneNumber(&own), E_FAIL);
}

TEST_F(SmsTool, FailuresSetFromOutsideReachTheNextSend) {
  ASSERT_EQ(Tool({"sms", "fail", "--after", "1"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"one"), S_OK);
  EXPECT_EQ(SendHere(u"two"), SMS_E_NETWORK);
  ASSERT_EQ(Tool({"sms", "ok"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"three"), S_OK);
  ASSERT_EQ(Tool({"sms", "fail", "--after", "0"}).exitCode, 0);
  EXPECT_EQ(SendHere(u"four"), SMS_E_NETWORK);

  e2e::Finished outbox = Tool({"outbox"});
  EXPECT_EQ(outbox.exitCode, 0);
  EXPECT_EQ(outbox.out,
            "{\"to\":\"0101234\",\"text\":\"one\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"to\":\"0101234\",\"text\":\"three\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n");
}

TEST_F(SmsTool, BadCountsAndAMissingDeviceAreRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"sms", "fail", "--after", "-1"}, {"sms", "fail", "--after", "01"}, {"sms", "fail"}, {"sms"}}) {
    e2e::Finished f = Tool(args);
    EXPECT_EQ(f.exitCode, 2) << args.back();
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  }
  EXPECT_EQ(SendHere(u"still fine"), S_OK);

  fs::path missing = device_.dir() / "no-phone";
  e2e::Finished f = e2e::Run("parlo-device", {"--device", missing.string(), "sms", "fail", "--after", "0"});
  EXPECT_EQ(f.exitCode, 2);
  EXPECT_NE(f.err.find("init"), std::string::npos) << f.err;
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
