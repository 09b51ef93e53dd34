// PhoneMakeCall: the phone's dialler is outside the program; here a placed call is a line in
// DIR/network/calls.jsonl, which parlo-device and the tests read back.
#include "phone.h"
#include "platform/device/network_log.h"

LONG PhoneMakeCall(PHONEMAKECALLINFO* info) {
  if (!info || (info->cbSize != PHONEMAKECALLINFO_PHONE_SIZE && info->cbSize != sizeof(PHONEMAKECALLINFO)) ||
      !info->pszDestAddress || !*info->pszDestAddress)
    return ERROR_INVALID_PARAMETER;
  platform::device::NetworkRecord call;
  call.Add("number", info->pszDestAddress)
      .Add("name", info->pszCalledParty ? info->pszCalledParty : u"")
      .Add("time", platform::device::LocalTimeText());
  return call.AppendTo("calls.jsonl") ? 0 : ERROR_WRITE_FAULT;
}
