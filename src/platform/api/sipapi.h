// The input panel (the on-screen keyboard): showing and lowering it, and where it lies.
#pragma once
#include "windef.h"

#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002
#define SIPF_LOCKED 0x00000004

// 48 bytes on the phone; wider here only because the last field is pointer-sized. Callers that
// pass the phone's size (48) get every field but the pointer.
struct SIPINFO {
  DWORD cbSize;
  DWORD fdwFlags;          // SIPF_ON while the panel is shown
  RECT rcVisibleDesktop;   // the screen above the panel (the whole screen while it is down)
  RECT rcSipRect;          // the panel, in screen coordinates
  DWORD dwImDataSize;
  void* pvImData;
};
typedef SIPINFO* PSIPINFO;

// SIPF_ON raises the panel, SIPF_OFF lowers it; top-level windows hear WM_SETTINGCHANGE with
// SPI_SETSIPINFO when it changes. FALSE (ERROR_INVALID_PARAMETER) for other flags.
BOOL SipShowIM(DWORD flags);
// FALSE (ERROR_INVALID_PARAMETER) without a record or with cbSize too small.
BOOL SipGetInfo(SIPINFO* info);
