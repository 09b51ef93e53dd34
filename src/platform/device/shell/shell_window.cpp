// The shell's window calls: full-screen state, dialog initialisation, input-panel preference.
// The simulator draws no task bar, so full-screen mode is a state others can ask about; the
// input panel and the dialog's Done button belong to the ui room, which installs handlers.
#include <map>
#include <mutex>

#include "aygshell.h"
#include "platform/device/shell/shell_window.h"
#include "winuser.h"

namespace platform::device {
namespace {

std::mutex g_mutex;
std::map<HWND, ShellWindowState> g_states;
std::function<void(HWND, int)> g_sipHandler;
std::function<void(HWND, DWORD)> g_dialogHandler;

}  // namespace

ShellWindowState FullScreenState(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_states.find(hwnd);
  return it == g_states.end() || !IsWindow(hwnd) ? ShellWindowState{} : it->second;
}

void SetSipPreferenceHandler(std::function<void(HWND, int)> handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_sipHandler = std::move(handler);
}

void SetDialogInitHandler(std::function<void(HWND, DWORD)> handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dialogHandler = std::move(handler);
}

}  // namespace platform::device

using namespace platform::device;

BOOL SHFullScreen(HWND hwnd, DWORD state) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  // Drop states of windows that are gone, so a reused handle starts clean.
  for (auto it = g_states.begin(); it != g_states.end();) it = IsWindow(it->first) ? std::next(it) : g_states.erase(it);
  ShellWindowState& s = g_states[hwnd];
  if (state & SHFS_HIDETASKBAR) s.taskbarHidden = true;
  if (state & SHFS_SHOWTASKBAR) s.taskbarHidden = false;
  if (state & SHFS_HIDESIPBUTTON) s.sipButtonHidden = true;
  if (state & SHFS_SHOWSIPBUTTON) s.sipButtonHidden = false;
  if (state & SHFS_HIDESTARTICON) s.startIconHidden = true;
  if (state & SHFS_SHOWSTARTICON) s.startIconHidden = false;
  return TRUE;
}

BOOL SHSipPreference(HWND hwnd, SIPSTATE state) {
  if (!IsWindow(hwnd) || state < SIP_UP || state > SIP_INPUTDIALOG) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::function<void(HWND, int)> handler;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    handler = g_sipHandler;
  }
  if (handler && state != SIP_UNCHANGED) handler(hwnd, state);
  return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
  if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (info->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR))
    MoveWindow(info->hDlg, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), TRUE);
  std::function<void(HWND, int)> sip;
  std::function<void(HWND, DWORD)> dialog;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    sip = g_sipHandler;
    dialog = g_dialogHandler;
  }
  if ((info->dwFlags & SHIDIF_SIPDOWN) && sip) sip(info->hDlg, SIP_DOWN);
  if (dialog) dialog(info->hDlg, info->dwFlags);
  return TRUE;
}
