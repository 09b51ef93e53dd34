// The phone library (PHONE.dll): placing a voice call.
#pragma once
#include "windef.h"

#define PMCF_DEFAULT 0x00000001
#define PMCF_PROMPTBEFORECALLING 0x00000002

// 28 bytes on the phone (a size, flags and four string pointers); wider here only because
// pointers are.
struct PHONEMAKECALLINFO {
  DWORD cbSize;
  DWORD dwFlags;
  LPCWSTR pszDestAddress;
  LPCWSTR pszAppName;
  LPCWSTR pszCalledParty;
  LPCWSTR pszComment;
};
typedef PHONEMAKECALLINFO* PPHONEMAKECALLINFO;

// The size the phone's callers put in cbSize.
#define PHONEMAKECALLINFO_PHONE_SIZE 28

// Ordinal 5. Places the call (here: appends {"number", "name", "time"} to DIR/network/calls.jsonl).
// 0 on success; ERROR_INVALID_PARAMETER for a missing request, a wrong size or no number;
// ERROR_WRITE_FAULT when the call could not be recorded.
LONG PhoneMakeCall(PHONEMAKECALLINFO* info);
