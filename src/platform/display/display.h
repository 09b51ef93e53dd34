// Showing the screen: in memory only (headless) or in an SDL2 window whose mouse acts as the
// finger and whose keyboard gives the phone's hardware keys and typing.
#pragma once
#include <functional>
#include <string>

namespace platform::display {

// Creates the screen (width x height at dpi dots per inch). Headless keeps it in memory;
// otherwise a window shows it, each screen pixel as zoom x zoom (zoom >= 1). Without a
// display to open, returns false with a plain reason in *error.
bool OpenDisplay(bool headless, int width, int height, int dpi, int zoom, std::string* error);
// Closes the window (if any); the screen stays.
void CloseDisplay();
bool IsWindowed();

// Typed text (the keyboard's characters, UTF-16) goes to this hook, the input method's entry;
// without one each character goes to the focused window as WM_CHAR.
void SetTextInputHook(std::function<void(const std::u16string&)> hook);
// Closing the window calls this hook; without one WM_CLOSE is posted to the foreground window.
void SetCloseHook(std::function<void()> hook);

// Which virtual-key code a desktop key gives (0 for keys the phone does not have); the key is
// an SDL key code. Escape is the phone's Back key, F3 the Talk key.
unsigned KeyToVirtualKey(int sdlKey);

}  // namespace platform::display
