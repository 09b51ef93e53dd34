// Input from the display (mouse = finger, keyboard) and from automation, in screen coordinates.
#pragma once
#include "windef.h"
#include "winuser.h"

namespace platform::wm {

// message: WM_LBUTTONDOWN, WM_MOUSEMOVE or WM_LBUTTONUP. Goes to the capture window, else the
// deepest visible enabled window under the point, with client coordinates in lParam.
void InjectMouse(UINT message, int x, int y);
// A hardware key (virtual-key code) to the focused window: WM_KEYDOWN / WM_KEYUP.
void InjectKey(UINT vk, bool down);
// A typed character to the focused window (WM_CHAR), for text that bypasses the input method.
void InjectChar(WCHAR ch);

// The input method's place in the key path: TranslateMessage hands it each WM_KEYDOWN first;
// when it returns true it took the key (composition messages instead of WM_CHAR).
void SetKeyTranslator(bool (*translator)(const MSG& keyDown));

// The system's input panel: taps reach it even while a modal loop runs, so a dialog's fields
// can be typed into and the panel lowered off what it covers.
void SetInputToolWindow(HWND hwnd);

// The character a key gives on the phone's US layout (letters, digits, punctuation, space,
// enter, backspace, tab, escape), with shift or not; 0 for keys that type nothing.
WCHAR CharForKey(UINT vk, bool shift);

}  // namespace platform::wm

namespace platform::wm {

// Another program comes to the front (false) or the user comes back (true): the active window
// gets WM_ACTIVATE with WA_INACTIVE / WA_ACTIVE and the focus leaves / returns, as on the phone.
void SetAppForeground(bool front);
bool IsAppForeground();

}  // namespace platform::wm
