// The input panel as the other rooms see it: shown or not, where it lies, its keys.
#pragma once
#include <string>
#include <vector>

#include "platform/sip/layouts.h"
#include "windef.h"

namespace platform::sip {

struct PanelKey {
  std::string name;
  std::u16string label;
  RECT rect{};  // screen coordinates
};

// Raises or lowers the panel; top-level windows hear WM_SETTINGCHANGE (SPI_SETSIPINFO) when it
// changes. The panel's window is made on first use.
void ShowPanel(bool show);
bool PanelShown();
// Where the panel lies when shown: the bottom of the screen, its full width.
RECT PanelRect();
// The keys drawn now (none while the panel is down).
std::vector<PanelKey> PanelKeys();
Layout CurrentLayout();
// The panel's window, or nullptr before its first use; it belongs to the system, not the program.
HWND PanelWindow();

// Hangul / Latin, as the desktop keyboard's right Alt: queued behind the input already waiting,
// so keys typed before it are composed in the old mode.
void QueueModeToggle();

// Presses a key as the panel does: shift around it when it needs shift.
void PressKey(UINT vk, bool shift);

}  // namespace platform::sip
