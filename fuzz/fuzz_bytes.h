// Fuzz input as the program's own kinds of text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace parlo_fuzz {

// Pairs of bytes as UTF-16 code units (little-endian); an odd last byte is dropped.
inline std::u16string Utf16(const uint8_t* data, size_t size) {
  std::u16string text(size / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);
  return text;
}

}  // namespace parlo_fuzz
