// The input method as other rooms see it (the input panel, the desktop keyboard, automation).
// Keys reach it through the ordinary key path (WM_KEYDOWN, then TranslateMessage): in Hangul
// mode (IME_CMODE_NATIVE) the letter keys of the two-set layout compose Hangul (r = ㄱ, k = ㅏ,
// shift + r = ㄲ, ...), VK_HANGUL switches the focused window between Hangul and Latin, and every
// other key first commits what is being composed.
#pragma once
#include <functional>

#include "windows.h"

namespace platform::ui {

// Puts the input method into the key path; done when the EDIT class is registered.
void InstallInputMethod();

// The conversion status (IME_CMODE_*) of the focused window's input context;
// IME_CMODE_ALPHANUMERIC when nothing has the focus.
DWORD FocusedConversionMode();

// Called after a window's conversion status changed, by ImmSetConversionStatus or VK_HANGUL.
// The focus moving to a window in another mode is not a change: read FocusedConversionMode().
using ConversionListener = std::function<void(HWND hwnd, DWORD conversion)>;
int AddConversionListener(ConversionListener listener);  // returns an id for removal
void RemoveConversionListener(int id);

}  // namespace platform::ui
