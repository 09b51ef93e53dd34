// Screen metrics and the work area.
#include "platform/gdi/window_dc.h"
#include "platform/wm/window.h"

namespace {
bool g_workAreaSet = false;
RECT g_workArea{};
}  // namespace

using namespace platform::wm;

int GetSystemMetrics(int index) {
  RECT screen = Desktop()->rect;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN: return screen.right;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN: return screen.bottom;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
  }
  return 0;
}

BOOL SystemParametersInfoW(UINT action, UINT, LPVOID data, UINT) {
  switch (action) {
    case SPI_GETWORKAREA:
      if (!data) break;
      // Until the shell says otherwise the whole screen is work area.
      *static_cast<RECT*>(data) = g_workAreaSet ? g_workArea : Desktop()->rect;
      return TRUE;
    case SPI_SETWORKAREA:
      if (data) {
        g_workArea = *static_cast<const RECT*>(data);
        g_workAreaSet = true;
      } else {
        g_workAreaSet = false;
      }
      return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
