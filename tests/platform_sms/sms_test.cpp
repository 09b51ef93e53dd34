// The short-message service: what it opens, what it refuses, what reaches the outbox, and the
// failures parlo-device injects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/sms/network.h"
#include "platform/sms/simulated_network.h"
#include "sms.h"
#include "windows.h"

namespace {

using platform::sms::Delivery;
using platform::sms::OutgoingMessage;

class SmsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::sms::UseNetwork(nullptr); }
  void TearDown() override { platform::sms::UseNetwork(nullptr); }

  SMS_HANDLE Open() {
    SMS_HANDLE h = 0;
    EXPECT_EQ(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &h, nullptr), S_OK);
    return h;
  }

  // The provider block as the program fills it, with `callback` as its header data.
  static std::vector<BYTE> Block(const std::string& callback, DWORD size = SMS_TEXT_PROVIDER_DATA_SIZE) {
    std::vector<BYTE> block(size, 0);
    const DWORD cls = 1, length = static_cast<DWORD>(callback.size());
    std::memcpy(block.data() + 4, &cls, 4);
    std::memcpy(block.data() + 12, &length, 4);
    std::memcpy(block.data() + 16, callback.data(), std::min<size_t>(callback.size(), size - 16));
    return block;
  }

  static SMS_ADDRESS Address(const char16_t* text) {
    SMS_ADDRESS a{};
    a.smsatAddressType = SMSAT_INTERNATIONAL;
    StringCchCopyW(a.ptsAddress, SMS_MAX_ADDRESS_LENGTH, text);
    return a;
  }

  HRESULT Send(const char16_t* to, const std::u16string& text, const std::string& callback = "0101234",
               const SMS_ADDRESS* smsc = nullptr) {
    SMS_HANDLE h = Open();
    SMS_ADDRESS dest = Address(to);
    std::vector<BYTE> block = Block(callback);
    SMS_MESSAGE_ID id = 0;
    HRESULT hr = SmsSendMessage(h, smsc, &dest, nullptr, reinterpret_cast<const BYTE*>(text.data()),
                                static_cast<DWORD>(text.size() * 2), block.data(), static_cast<DWORD>(block.size()),
                                SMSDE_OPTIMAL, 0, &id);
    last_error_ = GetLastError();
    SmsClose(h);
    return hr;
  }

  std::string Outbox() { return parlo_test::ReadFileBytes(device_.dir() / "network" / "sms-outbox.jsonl"); }

  parlo_test::TempDevice device_;
  DWORD last_error_ = 0;
};

TEST_F(SmsTest, OnlyTheTextProviderInSendModeOpensAndOnlyItsOpenHandlesWork) {
  struct Case {
    const char16_t* protocol;
    DWORD modes;
    HRESULT expected;
  } cases[] = {
      {SMS_MSGTYPE_TEXT, SMS_MODE_SEND, S_OK},
      {u"Microsoft Text SMS Protocol ", SMS_MODE_SEND, SMS_E_INVALIDPROTOCOL},
      {u"Microsoft WDP SMS Protocol", SMS_MODE_SEND, SMS_E_INVALIDPROTOCOL},
      {SMS_MSGTYPE_TEXT, SMS_MODE_RECEIVE, SMS_E_MOBILEUNSUPPORTED},
      {SMS_MSGTYPE_TEXT, SMS_MODE_SEND | SMS_MODE_RECEIVE, SMS_E_MOBILEUNSUPPORTED},
      {SMS_MSGTYPE_TEXT, 0, E_INVALIDARG},
      {SMS_MSGTYPE_TEXT, SMS_MODE_SEND | 4, E_INVALIDARG},
      {nullptr, SMS_MODE_SEND, E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SMS_HANDLE h = 0xDEAD;
    HRESULT hr = SmsOpen(c.protocol, c.modes, &h, nullptr);
    EXPECT_EQ(hr, c.expected) << (c.protocol ? "protocol" : "null") << " modes " << c.modes;
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(SmsClose(h), S_OK);
    }
  }
  EXPECT_EQ(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, nullptr, nullptr), E_INVALIDARG);

  // A closed or made-up handle is refused.
  SMS_HANDLE h = Open();
  EXPECT_EQ(SmsClose(h), S_OK);
  EXPECT_EQ(SmsClose(h), E_INVALIDARG);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SmsClose(0), E_INVALIDARG);
  SMS_ADDRESS dest = Address(u"0101234");
  std::vector<BYTE> block = Block("");
  EXPECT_EQ(SmsSendMessage(h, nullptr, &dest, nullptr, nullptr, 0, block.data(), 688, SMSDE_OPTIMAL, 0, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(Outbox(), "");
}

// A damaged own number is no number and is left as it is (numbers refused are the device tool's tests).
TEST_F(SmsTest, TheOwnNumberComesFromTheNetworkAndIsMissingUntilSet) {
  SMS_ADDRESS own{};
  EXPECT_EQ(SmsGetPhoneNumber(&own), E_FAIL);
  EXPECT_EQ(SmsGetPhoneNumber(nullptr), E_INVALIDARG);
  ASSERT_TRUE(platform::sms::WriteOwnNumber(u"01055501234", nullptr));
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(std::u16string(own.ptsAddress), u"01055501234");
  EXPECT_EQ(own.smsatAddressType, static_cast<DWORD>(SMSAT_NATIONAL));
  ASSERT_TRUE(platform::sms::WriteOwnNumber(u"+821055501234", nullptr));
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(own.smsatAddressType, static_cast<DWORD>(SMSAT_INTERNATIONAL));

  std::ofstream(device_.dir() / "network" / "own-number") << "call me maybe\n";
  EXPECT_EQ(SmsGetPhoneNumber(&own), E_FAIL);
  EXPECT_TRUE(platform::sms::ReadOwnNumber().damaged);
  EXPECT_EQ(parlo_test::ReadFileBytes(device_.dir() / "network" / "own-number"), "call me maybe\n");
}

TEST_F(SmsTest, AMessageIsOneOutboxLineWithTheCallbackFromTheProviderBlock) {
  SMS_ADDRESS smsc = Address(u"01055501234");
  EXPECT_EQ(Send(u"01012345678", u"안녕 \"hi\"\r\n", "0109876", &smsc), S_OK);
  EXPECT_EQ(Send(u"0102", u"", ""), S_OK);
  EXPECT_EQ(Outbox(),
            "{\"to\": \"01012345678\", \"text\": \"안녕 \\\"hi\\\"\\r\\n\", \"callback\": \"0109876\", "
            "\"smsc\": \"01055501234\", \"time\": \"2024-03-05 14:07:09\"}\n"
            "{\"to\": \"0102\", \"text\": \"\", \"callback\": \"\", \"smsc\": \"\", \"time\": \"2024-03-05 14:07:09\"}\n");
}

TEST_F(SmsTest, ArgumentsThePhoneRefusesReachNoNetwork) {
  SMS_HANDLE h = Open();
  const std::u16string text = u"hi";
  const BYTE* data = reinterpret_cast<const BYTE*>(text.data());
  SMS_ADDRESS dest = Address(u"0101234"), empty = Address(u""), unterminated = Address(u"");
  for (WCHAR& c : unterminated.ptsAddress) c = u'1';
  std::vector<BYTE> good = Block("0101234"), shortBlock = Block("0101234", 687), longBlock = Block("", 689);
  std::vector<BYTE> overfull = Block("");
  const DWORD tooMuch = 673;  // 688 - 16 bytes of room for header data
  std::memcpy(overfull.data() + 12, &tooMuch, 4);
  std::vector<BYTE> full = Block(std::string(672, '1'));
  std::vector<char16_t> huge(255 * 70 + 1, u'a');

  struct Case {
    const char* what;
    const SMS_ADDRESS* dest;
    const BYTE* data;
    DWORD size;
    const std::vector<BYTE>* block;
    HRESULT expected;
  } cases[] = {
      {"no destination", nullptr, data, 4, &good, E_INVALIDARG},
      {"empty destination", &empty, data, 4, &good, E_INVALIDARG},
      {"unterminated destination", &unterminated, data, 4, &good, E_INVALIDARG},
      {"data size without data", &dest, nullptr, 4, &good, E_INVALIDARG},
      {"odd data size", &dest, data, 3, &good, SMS_E_INVALIDDATA},
      {"more than 255 segments", &dest, reinterpret_cast<const BYTE*>(huge.data()), 255 * 140 + 2, &good,
       SMS_E_TOOMUCHDATA},
      {"block of 687", &dest, data, 4, &shortBlock, E_INVALIDARG},
      {"block of 689", &dest, data, 4, &longBlock, E_INVALIDARG},
      {"header size past the block", &dest, data, 4, &overfull, E_INVALIDARG},
      {"header filling the block", &dest, data, 4, &full, S_OK},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    HRESULT hr = SmsSendMessage(h, nullptr, c.dest, nullptr, c.data, c.size, c.block->data(),
                                static_cast<DWORD>(c.block->size()), SMSDE_OPTIMAL, 0, nullptr);
    EXPECT_EQ(hr, c.expected) << c.what;
    if (FAILED(hr)) {
      EXPECT_NE(GetLastError(), 0u) << c.what;
    }
  }
  EXPECT_EQ(SmsSendMessage(h, nullptr, &dest, nullptr, data, 4, nullptr, 688, SMSDE_OPTIMAL, 0, nullptr),
            E_INVALIDARG);
  SmsClose(h);
  const std::string outbox = Outbox();
  EXPECT_EQ(std::count(outbox.begin(), outbox.end(), '\n'), 1) << outbox;  // only the full header went out
  EXPECT_NE(outbox.find(std::string(672, '1')), std::string::npos);
}

// Counts set from outside are the device tool's tests; a damaged count refuses rather than guess.
TEST_F(SmsTest, ADamagedFailureCountRefusesEverySend) {
  std::filesystem::create_directories(device_.dir() / "network");
  std::ofstream(device_.dir() / "network" / "sms-fail-after") << "-1\n";
  EXPECT_EQ(Send(u"0101", u"one"), SMS_E_NETWORK);
  EXPECT_EQ(last_error_, static_cast<DWORD>(ERROR_NETWORK_UNREACHABLE));
  EXPECT_EQ(Outbox(), "");
}

TEST_F(SmsTest, ANetworkPutInPlaceTakesEverySend) {
  struct Recording : platform::sms::Network {
    std::vector<OutgoingMessage>* seen;
    Delivery answer;
    Recording(std::vector<OutgoingMessage>* s, Delivery a) : seen(s), answer(a) {}
    Delivery Send(const OutgoingMessage& m) override {
      seen->push_back(m);
      return answer;
    }
    std::optional<std::u16string> OwnNumber() override { return u"+8210"; }
  };
  std::vector<OutgoingMessage> seen;
  platform::sms::UseNetwork(std::make_unique<Recording>(&seen, Delivery::kSent));
  EXPECT_EQ(Send(u"0101", u"hi", "0109"), S_OK);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(std::tuple(seen[0].to, seen[0].text, seen[0].callback, seen[0].time.wHour, seen[0].messageClass),
            std::tuple(u"0101", u"hi", u"0109", 14, 1));
  SMS_ADDRESS own{};
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(std::u16string(own.ptsAddress), u"+8210");

  platform::sms::UseNetwork(std::make_unique<Recording>(&seen, Delivery::kUnavailable));
  EXPECT_EQ(Send(u"0101", u"hi"), SMS_E_RADIOUNAVAILABLE);
  EXPECT_EQ(last_error_, static_cast<DWORD>(ERROR_DEVICE_NOT_AVAILABLE));
  EXPECT_EQ(Outbox(), "");  // the simulated network never saw them
}

}  // namespace
