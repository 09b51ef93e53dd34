// Transfer encodings and character sets of vCard values.
#pragma once
#include <string>
#include <string_view>

namespace platform::contacts {

// "=XX" escapes; a '=' at a line end is a soft break. Broken escapes are kept as written.
std::string DecodeQuotedPrintable(std::string_view text);
// Whitespace is ignored; false for any other character outside the alphabet or a bad length.
bool DecodeBase64(std::string_view text, std::string* out);
std::string EncodeBase64(std::string_view bytes);

// Bytes in `charset` to UTF-16. An empty charset means UTF-8 when the bytes are valid UTF-8 and
// the Korean code page otherwise (old phones write EUC-KR without saying so). Undecodable bytes
// become U+FFFD.
std::u16string DecodeCharset(std::string_view bytes, std::string_view charset);
bool IsValidUtf8(std::string_view bytes);

}  // namespace platform::contacts
