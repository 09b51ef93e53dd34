// The phone's shell library (AYGSHELL): full screen, dialogs, the input-panel preference,
// registry reads and change notifications, and the shell's notifications.
#pragma once
#include "winreg.h"

// Full-screen mode of a window.
#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020
BOOL SHFullScreen(HWND hwnd, DWORD state);

// Dialog initialisation.
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
struct SHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
};
typedef SHINITDLGINFO* PSHINITDLGINFO;
BOOL SHInitDialog(PSHINITDLGINFO info);

// The input panel's preference for a window.
typedef enum { SIP_UP = 0, SIP_DOWN, SIP_FORCEDOWN, SIP_UNCHANGED, SIP_INPUTDIALOG } SIPSTATE;
BOOL SHSipPreference(HWND hwnd, SIPSTATE state);

// The input panel's information (sipapi.h): SPI_GETSIPINFO fills the SIPINFO at pvParam,
// SPI_SETSIPINFO raises or lowers the panel as its fdwFlags say. Implemented by the sip room.
BOOL SHSipInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// Extra controls; nothing to register here.
BOOL SHInitExtraControls();

// Menu bar: declared here as the system groups it, implemented by the ui room.
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010
// 36 bytes on the phone (nine 32-bit fields); wider here only because handles are pointer-sized.
struct SHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
};
typedef SHMENUBARINFO* PSHMENUBARINFO;
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// Registry reads and change notifications.
typedef HANDLE HREGNOTIFY;
typedef enum {
  REG_CT_ANYCHANGE = 0,
  REG_CT_EQUAL,
  REG_CT_NOT_EQUAL,
  REG_CT_GREATER,
  REG_CT_GREATER_OR_EQUAL,
  REG_CT_LESS,
  REG_CT_LESS_OR_EQUAL,
  REG_CT_CONTAINS,
  REG_CT_STARTS_WITH,
  REG_CT_ENDS_WITH
} REG_COMPARISONTYPE;
struct NOTIFICATIONCONDITION {
  REG_COMPARISONTYPE ctComparisonType;
  DWORD dwMask;  // DWORD values are masked before comparing (0: the whole value)
  // psz for REG_CT_CONTAINS / STARTS_WITH / ENDS_WITH on string values (caseless),
  // dw for the other comparisons, which apply to DWORD values.
  union {
    LPCWSTR psz;
    DWORD dw;
  } TargetValue;
};
// E_INVALIDARG for bad arguments, HRESULT_FROM_WIN32 of the registry status otherwise
// (a missing value or a value that is not a 4-byte REG_DWORD fails and leaves *data alone).
HRESULT RegistryGetDWORD(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD* data);
HRESULT RegistryGetString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPWSTR data, UINT chars);
HRESULT RegistrySetDWORD(HKEY root, LPCWSTR subKey, LPCWSTR valueName, DWORD data);
// Posts `msg` to `hwnd` each time the value is written (also by another program) and the
// condition, if any, holds for the new value: wParam = userData, lParam = the new DWORD value
// (0 for other types or a deleted value). Noticed when the UI thread's loop goes idle.
// The notification ends with RegistryCloseNotification or when the window is destroyed.
HRESULT RegistryNotifyWindow(HKEY root, LPCWSTR subKey, LPCWSTR valueName, HWND hwnd, UINT msg,
                             DWORD userData, NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify);
HRESULT RegistryCloseNotification(HREGNOTIFY notify);

// Shell notifications (the bubbles of the title bar). They are kept in the registry file, so
// every program on the device sees the same set.
#define SHNP_INFORM 0x1B1
#define SHNP_ICONIC 0
#define SHNF_STRAIGHTTOTRAY 0x00000001
#define SHNF_CRITICAL 0x00000002
#define SHNF_FORCEMESSAGE 0x00000008
#define SHNF_DISPLAYON 0x00000010
#define SHNF_SILENT 0x00000020
struct SHNOTIFICATIONDATA {
  DWORD cbStruct;
  DWORD dwID;
  int npPriority;
  DWORD csDuration;  // seconds
  HICON hicon;
  DWORD grfFlags;
  CLSID clsid;
  HWND hwndSink;
  LPCWSTR pszHTML;
  LPCWSTR pszTitle;
  LPARAM lParam;
};
// ERROR_SUCCESS on success; an existing notification of the same class and id is replaced.
LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data);
// ERROR_SUCCESS when it was present, ERROR_NOT_FOUND when not.
LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id);
