// What the shell's window calls leave for other rooms: the full-screen state of a window and
// the handlers through which the ui room serves the input panel and dialog buttons.
#pragma once
#include <functional>

#include "windef.h"

namespace platform::device {

struct ShellWindowState {
  bool taskbarHidden = false;
  bool sipButtonHidden = false;
  bool startIconHidden = false;
};
// The state SHFullScreen left for the window (all false for unknown or destroyed windows).
ShellWindowState FullScreenState(HWND hwnd);

// SHSipPreference (and SHInitDialog with SHIDIF_SIPDOWN) call this with the SIPSTATE.
void SetSipPreferenceHandler(std::function<void(HWND, int)> handler);
// SHInitDialog calls this with the dialog and its SHIDIF_ flags (the Done button is ui's).
void SetDialogInitHandler(std::function<void(HWND, DWORD)> handler);

}  // namespace platform::device
