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

struct SMS_ADDRESS {
  SMS_ADDRESS_TYPE smsatAddressType;
  WCHAR ptsAddress[SMS_MAX_ADDRESS_LENGTH];
};
typedef SMS_ADDRESS* LPSMS_ADDRESS;

// The text provider's block is 688 bytes on the phone; its first fields, as the program fills them:
// message options, message class, replace option, then the header data size and the header data
// (which carries the callback number).
#define SMS_TEXT_PROVIDER_DATA_SIZE 688

// Opens the provider for the given modes. Only SMS_MSGTYPE_TEXT with SMS_MODE_SEND is offered here.
HRESULT SmsOpen(LPCWSTR ptsMessageProtocol, DWORD dwMessageModes, SMS_HANDLE* psmshHandle,
                HANDLE* phMessageAvailableEvent);
HRESULT SmsClose(SMS_HANDLE smshHandle);
// The device's own number.
HRESULT SmsGetPhoneNumber(SMS_ADDRESS* psmsaAddress);
// Hands one message to the network.
HRESULT SmsSendMessage(SMS_HANDLE smshHandle, const SMS_ADDRESS* psmsaSMSCAddress,
                       const SMS_ADDRESS* psmsaDestinationAddress, const SYSTEMTIME* pstValidityPeriod,
                       const BYTE* pbData, DWORD dwDataSize, const BYTE* pbProviderSpecificData,
                       DWORD dwProviderSpecificDataSize, SMS_DATA_ENCODING smsdeDataEncoding, DWORD dwOptions,
                       SMS_MESSAGE_ID* psmsmidMessageID);
