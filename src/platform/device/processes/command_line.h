// Splitting a command line into arguments the system's way.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::device {

// Spaces and tabs separate arguments outside double quotes; 2n backslashes before a quote give
// n backslashes and the quote opens or closes a quoted part; 2n+1 give n backslashes and a
// literal quote; "" inside a quoted part is a literal quote; other backslashes are literal.
std::vector<std::u16string> SplitCommandLine(std::u16string_view line);

}  // namespace platform::device
