// Placeholder until the slide bar lands.
#include "compose/send_slide.h"

namespace compose {
HWND CreateSendSlide(HWND, const RECT&, const parlo::Skin&) { return nullptr; }
void SetSendSlideLocked(HWND, bool) {}
bool SendSlideLocked(HWND) { return false; }
}  // namespace compose
