// The panel's own record, shared by its window procedure and its painter.
#pragma once
#include "platform/sip/layouts.h"
#include "windows.h"

namespace platform::sip {

struct PlacedKey {
  KeyCap cap;
  RECT rect{};  // client coordinates
};

struct PanelState {
  HWND hwnd = nullptr;
  Layout layout = Layout::kHangul;
  bool shifted = false;
  bool hangulSeen = false;  // the input method's mode when last looked at
  std::vector<PlacedKey> keys;
  int pressed = -1;  // index into keys while the finger is on one
};

PanelState& Panel();
// Lays the current layout's keys out over the client area.
void PlaceKeys(PanelState& s, int width, int height);
void PaintPanel(const PanelState& s, HDC dc);
int PanelHeight();

}  // namespace platform::sip
