// Where the compose view's fields go: the text field fills the space between the top bar and
// the two rows of the sender and recipient, which sit on the bottom edge given (the input
// panel's top while it is up).
#pragma once
#include <windows.h>

namespace compose {

// The top bar is 70 pixels as they stand, at any dpi.
inline constexpr int kTopBarHeight = 70;

struct ComposeLayout {
  RECT text{};
  RECT sender{};
  RECT recipient{};
  RECT senderButton{};
  RECT recipientButton{};
};

// `area` is the view's client rectangle with its bottom already raised to the panel's top.
// Lengths are for 96 dpi, scaled to `dpiX` and `dpiY`.
ComposeLayout LayOutCompose(const RECT& area, int dpiX, int dpiY);

}  // namespace compose
