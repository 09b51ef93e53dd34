// WideCharToMultiByte and MultiByteToWideChar for the phone's code pages: the Korean ANSI code
// page 949 through the C library's converter (glibc's "CP949"), UTF-8 through the platform's own.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/base/text.h"
#include "winnls.h"

namespace {

constexpr UINT kKorean = 949;

bool IsKorean(UINT codePage) { return codePage == CP_ACP || codePage == kKorean; }

// One converter for the length of a call; iconv_t is not shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`; false (and nothing appended) when some of it has no conversion.
  bool Convert(const char* in, size_t size, std::string* out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
    char buffer[16];
    char* source = const_cast<char*>(in);
    std::string converted;
    while (size > 0) {
      char* target = buffer;
      size_t room = sizeof buffer;
      size_t rc = iconv(cd_, &source, &size, &target, &room);
      converted.append(buffer, static_cast<size_t>(target - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    out->append(converted);
    return true;
  }

 private:
  iconv_t cd_;
};

// Copies a converted text out as the system does: the size when asked, else all of it or nothing.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& text, Unit* out, int room) {
  if (text.size() > 0x7FFFFFFF) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const int size = static_cast<int>(text.size());
  if (room == 0) return size;
  if (size > room) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, text.data(), text.size() * sizeof(Unit));
  return size;
}

template <typename Unit>
bool ValidArguments(const Unit* in, int inSize, const void* out, int outSize) {
  return in && inSize != 0 && inSize >= -1 && outSize >= 0 && (outSize == 0 || out);
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR multi, int multiBytes,
                        LPCSTR defaultChar, BOOL* usedDefaultChar) {
  if (!ValidArguments(wide, wideChars, multi, multiBytes) || !(IsKorean(codePage) || codePage == CP_UTF8) ||
      (codePage == CP_UTF8 && (defaultChar || usedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const size_t length = wideChars == -1 ? std::char_traits<char16_t>::length(wide) + 1 : static_cast<size_t>(wideChars);
  const std::u16string_view text(wide, length);
  std::string out;
  if (codePage == CP_UTF8) return Deliver(platform::Utf16ToUtf8(text), multi, multiBytes);

  if (usedDefaultChar) *usedDefaultChar = FALSE;
  Converter converter("CP949", "UTF-16LE");
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    // A surrogate pair is one character; the code page has none of them, so it becomes one default.
    const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] < 0xE000;
    char bytes[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    if (pair || !converter.ok() || !converter.Convert(bytes, sizeof bytes, &out)) {
      out.push_back(defaultChar ? *defaultChar : '?');
      if (usedDefaultChar) *usedDefaultChar = TRUE;
    }
    if (pair) ++i;
  }
  return Deliver(out, multi, multiBytes);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multi, int multiBytes, LPWSTR wide, int wideChars) {
  if (!ValidArguments(multi, multiBytes, wide, wideChars) || !(IsKorean(codePage) || codePage == CP_UTF8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const size_t length = multiBytes == -1 ? std::strlen(multi) + 1 : static_cast<size_t>(multiBytes);
  const std::string_view text(multi, length);
  if (codePage == CP_UTF8) return Deliver(platform::Utf8ToUtf16(text), wide, wideChars);

  std::u16string out;
  Converter converter("UTF-16LE", "CP949");
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out.push_back(byte);
      continue;
    }
    // A lead byte and its trail byte make one character; anything else is no character.
    std::string units;
    if (i + 1 < text.size() && converter.ok() && converter.Convert(text.data() + i, 2, &units) && units.size() == 2) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(units[0]) |
                                          static_cast<unsigned char>(units[1]) << 8));
      ++i;
    } else {
      out.push_back(u'\uFFFD');
    }
  }
  return Deliver(out, wide, wideChars);
}
