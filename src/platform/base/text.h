// UTF-8 / UTF-16 conversion for the platform's edges (files, JSON, command lines).
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Invalid input becomes U+FFFD rather than failing: text from files and peers is untrusted.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace platform
