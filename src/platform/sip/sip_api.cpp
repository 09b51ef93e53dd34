// SipShowIM, SipGetInfo and the shell's SHSipInfo over the panel.
#include <cstddef>

#include "aygshell.h"
#include "platform/sip/panel.h"
#include "sipapi.h"
#include "windows.h"

using namespace platform::sip;

BOOL SipShowIM(DWORD flags) {
  if (flags & ~static_cast<DWORD>(SIPF_ON | SIPF_DOCKED | SIPF_LOCKED)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ShowPanel((flags & SIPF_ON) != 0);
  return TRUE;
}

BOOL SipGetInfo(SIPINFO* info) {
  // Every field up to the pointer: the phone's 48-byte record qualifies.
  if (!info || info->cbSize < offsetof(SIPINFO, pvImData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool shown = PanelShown();
  const RECT panel = PanelRect();
  RECT desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (shown) desktop.bottom = panel.top;
  info->fdwFlags = SIPF_DOCKED | (shown ? SIPF_ON : SIPF_OFF);
  info->rcVisibleDesktop = desktop;
  info->rcSipRect = panel;
  info->dwImDataSize = 0;
  if (info->cbSize >= sizeof(SIPINFO)) info->pvImData = nullptr;
  return TRUE;
}

BOOL SHSipInfo(UINT action, UINT, void* param, UINT) {
  auto* info = static_cast<SIPINFO*>(param);
  if (action == SPI_GETSIPINFO) return SipGetInfo(info);
  if (action == SPI_SETSIPINFO && info && info->cbSize >= offsetof(SIPINFO, pvImData))
    return SipShowIM(info->fdwFlags & SIPF_ON);
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
