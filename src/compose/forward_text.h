// A received text as the multi-line text field wants it for forwarding.
#pragma once
#include <string>
#include <string_view>

namespace compose {

// Every bare line feed becomes carriage return + line feed; a line feed at the very end is
// dropped. Line breaks that already are CR LF stay as they are.
std::u16string ForwardedText(std::u16string_view text);

}  // namespace compose
