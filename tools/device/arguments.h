// The words parlo-device reads from its command line. Only what a reader takes at face value is
// accepted: numbers without octal, hex (except where said), signs, blanks or leading zeros, and
// text that is valid UTF-8.
#pragma once
#include <cstdint>
#include <string>

namespace parlo_device {

// An object identifier: plain decimal, 1 to 4294967295. Anything else is a UsageError.
uint32_t ParseOid(const std::string& text);

// A count: plain decimal, 0 to 4294967295. Anything else is a UsageError naming `what`.
uint32_t ParseCount(const std::string& text, const char* what);

// A registry DWORD: decimal, or hex written with 0x (as registry editors show them).
uint32_t ParseDword(const std::string& text);

// True when `text` has exactly the shape "YYYY-MM-DD HH:MM:SS" (digits where the letters are).
bool IsTimeShape(const std::string& text);

// `utf8` as UTF-16; text that is not valid UTF-8 is a UsageError naming `what`.
std::u16string Wide(const std::string& utf8, const char* what);

}  // namespace parlo_device
