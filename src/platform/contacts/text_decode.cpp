#include "platform/contacts/text_decode.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/base/text.h"

namespace platform::contacts {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;  // '-' and '_': the URL-safe alphabet some exporters use
  if (c == '/' || c == '_') return 63;
  return -1;
}

// Base64Value for every byte, looked up once per character of a photo.
const std::array<int8_t, 256> kBase64Values = [] {
  std::array<int8_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<int8_t>(Base64Value(static_cast<char>(c)));
  return t;
}();

// The same, already shifted to a character's place in its group of four, so a group is four
// look-ups ORed together; a character outside the alphabet sets the top bit.
constexpr uint32_t kNotBase64 = 0x80000000u;
using GroupTable = std::array<std::array<uint32_t, 256>, 4>;
const GroupTable kGroupValues = [] {
  GroupTable t{};
  for (int place = 0; place < 4; ++place)
    for (int c = 0; c < 256; ++c) {
      int v = Base64Value(static_cast<char>(c));
      t[place][c] = v < 0 ? kNotBase64 : static_cast<uint32_t>(v) << (18 - 6 * place);
    }
  return t;
}();

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

// iconv into UTF-8; a byte it cannot convert becomes U+FFFD and the conversion goes on.
bool IconvToUtf8(std::string_view bytes, const char* from, std::string* out) {
  iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->clear();
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[1024];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out->append(buf, o - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a cut sequence at the end): step over one byte.
      out->append("\xEF\xBF\xBD");
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return true;
}

bool IsKoreanCharset(const std::string& cs) {
  return cs == "EUC-KR" || cs == "EUCKR" || cs == "CP949" || cs == "UHC" || cs == "KS_C_5601-1987" ||
         cs == "KSC5601" || cs == "KS_C_5601" || cs == "MS949" || cs == "WINDOWS-949";
}

std::u16string Korean(std::string_view bytes) {
  std::string utf8;
  // CP949 is a superset of EUC-KR and is what Korean phones really write.
  if (IconvToUtf8(bytes, "CP949", &utf8) || IconvToUtf8(bytes, "EUC-KR", &utf8)) return Utf8ToUtf16(utf8);
  return Utf8ToUtf16(bytes);
}

}  // namespace

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '=') {
      out.push_back(c);
      continue;
    }
    if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) {  // soft break
      ++i;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    if (i + 2 < text.size()) {
      int hi = HexValue(text[i + 1]);
      int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    if (i + 1 == text.size()) continue;  // soft break at the very end
    out.push_back('=');
  }
  return out;
}

bool DecodeBase64(std::string_view text, std::string* out) {
  // Photos are megabytes: the output is sized once, and whole groups of four characters are
  // decoded at a time. Only a group that a fold cuts, the padding and the end go one character
  // at a time.
  out->resize(text.size() / 4 * 3 + 3);
  char* o = out->data();
  uint32_t group = 0;
  int inGroup = 0;  // characters of `group` so far
  size_t padding = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  const GroupTable& t = kGroupValues;
  while (p < end) {
    if (inGroup == 0 && !padding) {
      for (; end - p >= 4; p += 4, o += 3) {
        uint32_t v = t[0][p[0]] | t[1][p[1]] | t[2][p[2]] | t[3][p[3]];
        if (v & kNotBase64) break;
        o[0] = static_cast<char>(v >> 16);
        o[1] = static_cast<char>(v >> 8);
        o[2] = static_cast<char>(v);
      }
      if (p == end) break;
    }
    char ch = static_cast<char>(*p++);
    if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') continue;
    if (ch == '=') {
      ++padding;
      continue;
    }
    if (padding) return false;  // data after padding
    int v = kBase64Values[static_cast<unsigned char>(ch)];
    if (v < 0) return false;
    group = (group << 6) | static_cast<uint32_t>(v);
    if (++inGroup == 4) {
      *o++ = static_cast<char>(group >> 16);
      *o++ = static_cast<char>(group >> 8);
      *o++ = static_cast<char>(group);
      group = 0;
      inGroup = 0;
    }
  }
  // One character alone cannot stand for a whole byte; two give one byte, three give two.
  if (inGroup == 1 || padding > 2) return false;
  if (inGroup == 2) *o++ = static_cast<char>(group >> 4);
  if (inGroup == 3) {
    *o++ = static_cast<char>(group >> 10);
    *o++ = static_cast<char>(group >> 2);
  }
  out->resize(static_cast<size_t>(o - out->data()));
  return true;
}

std::string EncodeBase64(std::string_view bytes) {
  static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out.push_back(kAlphabet[(v >> s) & 63]);
  }
  if (i < bytes.size()) {
    uint32_t v = uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint8_t(bytes[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    uint8_t c = s[i];
    int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (n < 0 || (n == 1 && c < 0xC2) || (n > 0 && i + n >= s.size())) return false;
    for (int k = 1; k <= n; ++k)
      if ((uint8_t(s[i + k]) >> 6) != 2) return false;
    i += n + 1;
  }
  return true;
}

std::u16string DecodeCharset(std::string_view bytes, std::string_view charset) {
  std::string cs = Upper(charset);
  if (cs.empty()) return IsValidUtf8(bytes) ? Utf8ToUtf16(bytes) : Korean(bytes);
  if (cs == "UTF-8" || cs == "UTF8" || cs == "US-ASCII" || cs == "ASCII") return Utf8ToUtf16(bytes);
  if (IsKoreanCharset(cs)) return Korean(bytes);
  std::string utf8;
  if (IconvToUtf8(bytes, cs.c_str(), &utf8)) return Utf8ToUtf16(utf8);
  return Utf8ToUtf16(bytes);
}

}  // namespace platform::contacts
