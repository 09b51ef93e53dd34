// The short-message service (sms.dll): opening the text provider, the device's own number, sending.
#pragma once
#include "windef.h"

typedef DWORD SMS_HANDLE;
typedef DWORD SMS_MESSAGE_ID;
typedef DWORD SMS_ADDRESS_TYPE;
typedef DWORD SMS_DATA_ENCODING;

#define SMS_MSGTYPE_TEXT u"Microsoft Text SMS Protocol"

#define SMS_MODE_RECEIVE 0x00000001
#define SMS_MODE_SEND 0x00000002

#define SMSAT_UNKNOWN 0
#define SMSAT_INTERNATIONAL 1
#define SMSAT_NATIONAL 2
#define SMSAT_NETWORKSPECIFIC 3
#define SMSAT_SUBSCRIBER 4
#define SMSAT_ALPHANUMERIC 5
#define SMSAT_ABBREVIATED 6

#define SMSDE_OPTIMAL 0
#define SMSDE_GSM 1
#define SMSDE_UCS2 2

#define SMS_OPTION_DELIVERY_NONE 0x00000000
#define SMS_OPTION_DELIVERY_NO_RETRY 0x00000001

#define SMS_MAX_ADDRESS_LENGTH 256

// Errors: HRESULTs of facility 0x200, failure severity (0x82000000 | code), as sms.h makes them.
#define FACILITY_SMS 0x200
#define SMS_ERROR(code) static_cast<HRESULT>(0x80000000u | (FACILITY_SMS << 16) | (code))
// The protocol named is not one the service has.
#define SMS_E_INVALIDPROTOCOL SMS_ERROR(0x0001)
// Messaging errors (SmsOpen, SmsSendMessage).
#define SMS_E_TOOMUCHDATA SMS_ERROR(0x0100)
#define SMS_E_INVALIDDATA SMS_ERROR(0x0101)
// General errors, passed on from the radio and the network.
#define SMS_E_NETWORK SMS_ERROR(0x0204)
#define SMS_E_MOBILEUNSUPPORTED SMS_ERROR(0x0207)
#define SMS_E_RADIOUNAVAILABLE SMS_ERROR(0x020D)

struct SMS_ADDRESS {
  SMS_ADDRESS_TYPE smsatAddressType;
  WCHAR ptsAddress[SMS_MAX_ADDRESS_LENGTH];
};
typedef SMS_ADDRESS* LPSMS_ADDRESS;

// The text provider's block is 688 bytes on the phone; its first fields, as the program fills them:
// message options, message class, replace option, then the header data size and the header data
// (which carries the callback number).
#define SMS_TEXT_PROVIDER_DATA_SIZE 688
#define SMS_TEXT_PROVIDER_CLASS_OFFSET 4
#define SMS_TEXT_PROVIDER_HEADER_SIZE_OFFSET 12
#define SMS_TEXT_PROVIDER_HEADER_DATA_OFFSET 16

// Opens the provider for the given modes. Only SMS_MSGTYPE_TEXT with SMS_MODE_SEND is offered here:
// another protocol fails with SMS_E_INVALIDPROTOCOL, receiving with SMS_E_MOBILEUNSUPPORTED, no or
// unknown modes and a missing handle with E_INVALIDARG.
HRESULT SmsOpen(LPCWSTR ptsMessageProtocol, DWORD dwMessageModes, SMS_HANDLE* psmshHandle,
                HANDLE* phMessageAvailableEvent);
HRESULT SmsClose(SMS_HANDLE smshHandle);
// The device's own number; E_FAIL when the network knows none.
HRESULT SmsGetPhoneNumber(SMS_ADDRESS* psmsaAddress);
// Hands one message to the network. Bad arguments fail with E_INVALIDARG, an odd data size with
// SMS_E_INVALIDDATA, more data than a concatenated message holds with SMS_E_TOOMUCHDATA; a message
// the network does not take fails with SMS_E_NETWORK or SMS_E_RADIOUNAVAILABLE. Every failure also
// sets the last error.
HRESULT SmsSendMessage(SMS_HANDLE smshHandle, const SMS_ADDRESS* psmsaSMSCAddress,
                       const SMS_ADDRESS* psmsaDestinationAddress, const SYSTEMTIME* pstValidityPeriod,
                       const BYTE* pbData, DWORD dwDataSize, const BYTE* pbProviderSpecificData,
                       DWORD dwProviderSpecificDataSize, SMS_DATA_ENCODING smsdeDataEncoding, DWORD dwOptions,
                       SMS_MESSAGE_ID* psmsmidMessageID);
