// One part through the phone's short-message service, with the text provider's block as the
// phone's messaging software fills it: message class 1 and the callback number as header data.
#include <cstring>

#include "compose/send_text.h"
#include "sms.h"
#include "windows.h"

namespace compose {
namespace {

// The provider block's header data holds the callback number as single-byte text of the phone's
// code page, with room for 31 bytes and a terminator.
constexpr int kMaxCallbackBytes = 31;

void PutDword(BYTE* at, DWORD value) { std::memcpy(at, &value, sizeof value); }

// The number as single-byte text in `bytes`; its length, or -1 when it does not fit (it is never cut).
int SingleByteNumber(std::u16string_view number, char (&bytes)[kMaxCallbackBytes + 1]) {
  std::memset(bytes, 0, sizeof bytes);
  if (number.empty()) return 0;
  const int chars = static_cast<int>(number.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, number.data(), chars, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || needed > kMaxCallbackBytes) return -1;
  return WideCharToMultiByte(CP_ACP, 0, number.data(), chars, bytes, kMaxCallbackBytes, nullptr, nullptr);
}

}  // namespace

bool SendShortMessage(const std::u16string& number, const std::u16string& text, const std::u16string& callback) {
  // A number the address cannot hold whole would reach someone else: it is not sent at all.
  if (number.size() >= SMS_MAX_ADDRESS_LENGTH) return false;
  SMS_HANDLE sms = 0;
  if (FAILED(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &sms, nullptr))) return false;

  // Without a callback number of its own the message carries the device's number, which also
  // goes as the service-centre address, as on the phone. With one, no address is passed and the
  // network's own service centre is used: the device's number is then not needed at all.
  SMS_ADDRESS own{};
  const SMS_ADDRESS* serviceCentre = nullptr;
  std::u16string_view callbackNumber = callback;
  if (callback.empty()) {
    if (FAILED(SmsGetPhoneNumber(&own))) {
      SmsClose(sms);
      return false;
    }
    callbackNumber = own.ptsAddress;
    serviceCentre = &own;
  }
  char callbackBytes[kMaxCallbackBytes + 1];
  const int callbackLength = SingleByteNumber(callbackNumber, callbackBytes);
  if (callbackLength < 0) {
    SmsClose(sms);
    return false;
  }

  SMS_ADDRESS destination{};
  destination.smsatAddressType = SMSAT_INTERNATIONAL;
  StringCchCopyW(destination.ptsAddress, SMS_MAX_ADDRESS_LENGTH, number.c_str());

  BYTE block[SMS_TEXT_PROVIDER_DATA_SIZE] = {};
  PutDword(block + 4, 1);  // message class 1; options and replace option stay 0
  PutDword(block + SMS_TEXT_PROVIDER_HEADER_SIZE_OFFSET, static_cast<DWORD>(callbackLength));
  std::memcpy(block + SMS_TEXT_PROVIDER_HEADER_DATA_OFFSET, callbackBytes, static_cast<size_t>(callbackLength));

  SMS_MESSAGE_ID id = 0;
  const HRESULT result = SmsSendMessage(sms, serviceCentre, &destination, nullptr,
                                        reinterpret_cast<const BYTE*>(text.data()),
                                        static_cast<DWORD>(text.size() * sizeof(WCHAR)), block, sizeof block,
                                        SMSDE_OPTIMAL, 0, &id);
  const DWORD error = GetLastError();
  if (FAILED(result)) {
    WCHAR message[1100];
    StringCchPrintfW(message, 1100, u"SmsSendMessage Error. Phone[%s] code=%d", number.c_str(),
                     static_cast<int>(error));
    MessageBoxW(nullptr, message, u"ERROR", MB_OK);
  }
  SmsClose(sms);
  return SUCCEEDED(result);
}

}  // namespace compose
