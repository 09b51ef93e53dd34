// Keys from the panel go in where the hardware keyboard's do.
#include "platform/sip/panel.h"
#include "platform/wm/input.h"
#include "winuser.h"

namespace platform::sip {

void PressKey(UINT vk, bool shift) {
  if (!vk) return;
  bool held = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  if (shift && !held) wm::InjectKey(VK_SHIFT, true);
  wm::InjectKey(vk, true);
  wm::InjectKey(vk, false);
  if (shift && !held) wm::InjectKey(VK_SHIFT, false);
}

}  // namespace platform::sip
