// SmsOpen, SmsClose, SmsGetPhoneNumber, SmsSendMessage: the text provider in send mode, its
// arguments checked as the phone checks them, each message decoded and handed to the network.
#include <atomic>
#include <cstring>
#include <memory>

#include "platform/base/handle_table.h"
#include "platform/sms/network.h"
#include "sms.h"
#include "winbase.h"
#include "winnls.h"

namespace platform::sms {
namespace {

struct Session {};  // a send-mode handle of the text provider: nothing to keep

HandleTable<Session>& Sessions() {
  static HandleTable<Session> table(kTagMisc);
  return table;
}

// A concatenated message holds at most 255 segments of 140 bytes.
constexpr DWORD kMaxDataBytes = 255 * 140;
constexpr DWORD kMaxHeaderBytes = SMS_TEXT_PROVIDER_DATA_SIZE - SMS_TEXT_PROVIDER_HEADER_DATA_OFFSET;

HRESULT Fail(HRESULT result, DWORD lastError) {
  SetLastError(lastError);
  return result;
}

// The address text, when it ends inside its buffer.
bool AddressText(const SMS_ADDRESS& address, std::u16string* text) {
  const WCHAR* end = std::char_traits<WCHAR>::find(address.ptsAddress, SMS_MAX_ADDRESS_LENGTH, u'\0');
  if (!end) return false;
  text->assign(address.ptsAddress, end);
  return true;
}

DWORD ReadDword(const BYTE* bytes) {
  DWORD value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// The callback number from the text provider's header data: single-byte text of the phone's code page.
bool CallbackFromBlock(const BYTE* block, std::u16string* callback) {
  const DWORD size = ReadDword(block + SMS_TEXT_PROVIDER_HEADER_SIZE_OFFSET);
  if (size > kMaxHeaderBytes) return false;
  callback->clear();
  if (size == 0) return true;
  const LPCSTR bytes = reinterpret_cast<LPCSTR>(block + SMS_TEXT_PROVIDER_HEADER_DATA_OFFSET);
  const int chars = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (chars <= 0) return false;
  callback->resize(static_cast<size_t>(chars));
  return MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), callback->data(), chars) == chars;
}

}  // namespace
}  // namespace platform::sms

HRESULT SmsOpen(LPCWSTR ptsMessageProtocol, DWORD dwMessageModes, SMS_HANDLE* psmshHandle,
                HANDLE* phMessageAvailableEvent) {
  using namespace platform::sms;
  if (!ptsMessageProtocol || !psmshHandle) return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  *psmshHandle = 0;
  if (phMessageAvailableEvent) *phMessageAvailableEvent = nullptr;
  if (std::u16string_view(ptsMessageProtocol) != SMS_MSGTYPE_TEXT) return Fail(SMS_E_INVALIDPROTOCOL, ERROR_NOT_FOUND);
  if (dwMessageModes == 0 || (dwMessageModes & ~(SMS_MODE_SEND | SMS_MODE_RECEIVE)))
    return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  // Receiving belongs to the phone's own messaging software, not to programs here.
  if (dwMessageModes & SMS_MODE_RECEIVE) return Fail(SMS_E_MOBILEUNSUPPORTED, ERROR_NOT_SUPPORTED);
  const uint32_t handle = Sessions().Add(std::make_shared<Session>());
  if (!handle) return Fail(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY);
  *psmshHandle = handle;
  return S_OK;
}

HRESULT SmsClose(SMS_HANDLE smshHandle) {
  using namespace platform::sms;
  if (!Sessions().Remove(smshHandle)) return Fail(E_INVALIDARG, ERROR_INVALID_HANDLE);
  return S_OK;
}

HRESULT SmsGetPhoneNumber(SMS_ADDRESS* psmsaAddress) {
  using namespace platform::sms;
  if (!psmsaAddress) return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  const std::optional<std::u16string> number = OwnNumberFromNetwork();
  if (!number || number->empty() || number->size() >= SMS_MAX_ADDRESS_LENGTH) return Fail(E_FAIL, ERROR_NOT_FOUND);
  std::memset(psmsaAddress, 0, sizeof *psmsaAddress);
  psmsaAddress->smsatAddressType = number->front() == u'+' ? SMSAT_INTERNATIONAL : SMSAT_NATIONAL;
  std::memcpy(psmsaAddress->ptsAddress, number->data(), number->size() * sizeof(WCHAR));
  return S_OK;
}

HRESULT SmsSendMessage(SMS_HANDLE smshHandle, const SMS_ADDRESS* psmsaSMSCAddress,
                       const SMS_ADDRESS* psmsaDestinationAddress, const SYSTEMTIME* /*pstValidityPeriod*/,
                       const BYTE* pbData, DWORD dwDataSize, const BYTE* pbProviderSpecificData,
                       DWORD dwProviderSpecificDataSize, SMS_DATA_ENCODING smsdeDataEncoding, DWORD dwOptions,
                       SMS_MESSAGE_ID* psmsmidMessageID) {
  using namespace platform::sms;
  if (!Sessions().Get(smshHandle)) return Fail(E_INVALIDARG, ERROR_INVALID_HANDLE);

  OutgoingMessage message;
  if (!psmsaDestinationAddress || !AddressText(*psmsaDestinationAddress, &message.to) || message.to.empty())
    return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  if (psmsaSMSCAddress && !AddressText(*psmsaSMSCAddress, &message.smsc))
    return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  if ((!pbData && dwDataSize) || smsdeDataEncoding > SMSDE_UCS2 || (dwOptions & ~SMS_OPTION_DELIVERY_NO_RETRY))
    return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);
  // The text is UTF-16: an odd size is no text at all.
  if (dwDataSize % 2) return Fail(SMS_E_INVALIDDATA, ERROR_INVALID_PARAMETER);
  if (dwDataSize > kMaxDataBytes) return Fail(SMS_E_TOOMUCHDATA, ERROR_INVALID_PARAMETER);
  if (!pbProviderSpecificData || dwProviderSpecificDataSize != SMS_TEXT_PROVIDER_DATA_SIZE ||
      !CallbackFromBlock(pbProviderSpecificData, &message.callback))
    return Fail(E_INVALIDARG, ERROR_INVALID_PARAMETER);

  // Message classes 0 to 3 are the network's own; anything else asks for none.
  const DWORD messageClass = ReadDword(pbProviderSpecificData + SMS_TEXT_PROVIDER_CLASS_OFFSET);
  if (messageClass <= 3) message.messageClass = static_cast<int>(messageClass);
  message.text.resize(dwDataSize / 2);
  if (dwDataSize) std::memcpy(message.text.data(), pbData, dwDataSize);
  GetLocalTime(&message.time);

  switch (SendToNetwork(message)) {
    case Delivery::kSent: break;
    case Delivery::kRefused: return Fail(SMS_E_NETWORK, ERROR_NETWORK_UNREACHABLE);
    case Delivery::kUnavailable: return Fail(SMS_E_RADIOUNAVAILABLE, ERROR_DEVICE_NOT_AVAILABLE);
  }
  static std::atomic<SMS_MESSAGE_ID> lastId{0};
  if (psmsmidMessageID) *psmsmidMessageID = ++lastId;
  return S_OK;
}
