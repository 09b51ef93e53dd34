#include "arguments.h"

#include "commands.h"
#include "platform/base/text.h"

namespace parlo_device {
namespace {

bool AllOf(const std::string& text, const char* allowed) {
  return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

// Digits already checked; false when the value does not fit in 32 bits.
bool ToUint32(const std::string& digits, int base, uint32_t* out) {
  uint64_t v = 0;
  for (char c : digits) {
    int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  *out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

uint32_t ParseOid(const std::string& text) {
  uint32_t oid = 0;
  if (!AllOf(text, "0123456789") || (text.size() > 1 && text[0] == '0') || !ToUint32(text, 10, &oid) || oid == 0)
    throw UsageError{"--oid wants an object identifier in plain decimal (1 to 4294967295), not \"" +
                     text.substr(0, 40) + "\""};
  return oid;
}

uint32_t ParseCount(const std::string& text, const char* what) {
  uint32_t count = 0;
  if (!AllOf(text, "0123456789") || (text.size() > 1 && text[0] == '0') || !ToUint32(text, 10, &count))
    throw UsageError{std::string(what) + " wants a count in plain decimal (0 to 4294967295), not \"" +
                     text.substr(0, 40) + "\""};
  return count;
}

uint32_t ParseDword(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  uint32_t v = 0;
  bool ok = hex ? AllOf(digits, "0123456789abcdefABCDEF")
                : AllOf(digits, "0123456789") && (digits.size() == 1 || digits[0] != '0');
  if (!ok || !ToUint32(digits, hex ? 16 : 10, &v))
    throw UsageError{"reg set: \"" + text.substr(0, 40) +
                     "\" is not a dword (decimal without leading zeros, or 0x-hex; 0 to 4294967295)"};
  return v;
}

bool IsTimeShape(const std::string& text) {
  static const char kShape[] = "dddd-dd-dd dd:dd:dd";
  if (text.size() != sizeof(kShape) - 1) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (kShape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != kShape[i]) return false;
  return true;
}

std::u16string Wide(const std::string& utf8, const char* what) {
  std::u16string wide = platform::Utf8ToUtf16(utf8);
  if (platform::Utf16ToUtf8(wide) != utf8) throw UsageError{std::string(what) + " is not valid UTF-8"};
  return wide;
}

}  // namespace parlo_device
