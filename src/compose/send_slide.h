// The slide bar along the bottom of the compose view: drag the knob to the right end to send
// (ID_SEND to the parent), to the left end to go back (ID_COMPOSE_CLOSE); let go anywhere else
// and it glides home.
#pragma once
#include "windows.h"

namespace parlo {
class Skin;
}

namespace compose {

#define SEND_SLIDE_CLASS u"CSendSlide"
#define SEND_SLIDE_HEIGHT 55

// Registers the class (once) and creates the bar as a child of `parent` over `rect`.
HWND CreateSendSlide(HWND parent, const RECT& rect, const parlo::Skin& skin);
// While locked the bar takes no input: the send sets it before sending and clears it after.
void SetSendSlideLocked(HWND slide, bool locked);
bool SendSlideLocked(HWND slide);

}  // namespace compose
