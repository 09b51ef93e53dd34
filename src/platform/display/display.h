// Showing the screen: in memory only (headless) or in an SDL2 window whose mouse acts as the
// finger and whose keyboard gives the phone's hardware keys, typing included.
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

// The desktop keyboard's Hangul / Latin key (right Alt, or a Korean keyboard's Hangul key)
// calls this hook; the input panel installs it.
void SetModeKeyHook(std::function<void()> hook);
// Closing the window calls this hook; without one WM_CLOSE is posted to the foreground window.
void SetCloseHook(std::function<void()> hook);

// Which virtual-key code a desktop key gives (0 for keys the phone does not have). Typing keys
// go by their place (an SDL scan code), as on a US keyboard, so in Hangul mode they are the
// two-set keyboard's keys whatever the desktop's layout; the rest by their SDL key code.
// Escape is the phone's Back key, F3 the Talk key.
unsigned KeyToVirtualKey(int sdlScancode, int sdlKey);

}  // namespace platform::display
