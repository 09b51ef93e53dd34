#include "strsafe.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

size_t wcslen16(LPCWSTR s) {
  size_t n = 0;
  if (s) while (s[n]) ++n;
  return n;
}

int lstrlenW(LPCWSTR s) { return static_cast<int>(wcslen16(s)); }

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a) a = u"";
  if (!b) b = u"";
  while (*a && *a == *b) ++a, ++b;
  return (*a > *b) - (*a < *b);
}

static WCHAR FoldAscii(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c; }

int _wcsnicmp(LPCWSTR a, LPCWSTR b, size_t n) {
  if (!a) a = u"";
  if (!b) b = u"";
  for (size_t i = 0; i < n; ++i) {
    WCHAR x = FoldAscii(a[i]), y = FoldAscii(b[i]);
    if (x != y) return (x > y) - (x < y);
    if (!x) return 0;
  }
  return 0;
}

int _wcsicmp(LPCWSTR a, LPCWSTR b) { return _wcsnicmp(a, b, SIZE_MAX); }
int lstrcmpiW(LPCWSTR a, LPCWSTR b) { return _wcsicmp(a, b); }

HRESULT StringCchCopyNW(LPWSTR dest, size_t cchDest, LPCWSTR src, size_t cchToCopy) {
  if (!dest || cchDest == 0) return E_INVALIDARG;
  if (!src) src = u"";
  size_t i = 0;
  while (i < cchToCopy && src[i] && i + 1 < cchDest) {
    dest[i] = src[i];
    ++i;
  }
  dest[i] = 0;
  return (i < cchToCopy && src[i]) ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

HRESULT StringCchCopyW(LPWSTR dest, size_t cchDest, LPCWSTR src) {
  return StringCchCopyNW(dest, cchDest, src, SIZE_MAX);
}

HRESULT StringCchCatW(LPWSTR dest, size_t cchDest, LPCWSTR src) {
  if (!dest || cchDest == 0) return E_INVALIDARG;
  size_t len = 0;
  while (len < cchDest && dest[len]) ++len;
  if (len == cchDest) return E_INVALIDARG;
  return StringCchCopyW(dest + len, cchDest - len, src);
}

HRESULT StringCchLengthW(LPCWSTR s, size_t cchMax, size_t* length) {
  if (!s) return E_INVALIDARG;
  size_t n = 0;
  while (n < cchMax && s[n]) ++n;
  if (n == cchMax) return E_INVALIDARG;
  if (length) *length = n;
  return S_OK;
}

namespace {

void AppendPadded(std::u16string& out, const std::u16string& body, int width, bool left, bool zero) {
  int pad = width - static_cast<int>(body.size());
  if (pad <= 0 || left) {
    out += body;
    if (pad > 0) out.append(pad, u' ');
    return;
  }
  if (zero && !body.empty() && body[0] == u'-') {
    out.push_back(u'-');
    out.append(pad, u'0');
    out.append(body, 1);
    return;
  }
  out.append(pad, zero ? u'0' : u' ');
  out += body;
}

std::u16string FormatV(LPCWSTR format, va_list args) {
  std::u16string out;
  for (const WCHAR* p = format; p && *p; ++p) {
    if (*p != u'%') {
      out.push_back(*p);
      continue;
    }
    ++p;
    if (*p == u'%') { out.push_back(u'%'); continue; }
    bool left = false, zero = false;
    for (;; ++p) {
      if (*p == u'-') left = true;
      else if (*p == u'0') zero = true;
      else break;
    }
    int width = 0;
    while (*p >= u'0' && *p <= u'9') width = width * 10 + (*p++ - u'0');
    int precision = -1;
    if (*p == u'.') {
      ++p;
      precision = 0;
      while (*p >= u'0' && *p <= u'9') precision = precision * 10 + (*p++ - u'0');
    }
    bool wideS = false;
    if (*p == u'l') { wideS = true; ++p; }
    (void)wideS;
    std::u16string body;
    switch (*p) {
      case u'd': case u'i': {
        long long v = va_arg(args, int);
        std::string s = std::to_string(v);
        body.assign(s.begin(), s.end());
        break;
      }
      case u'u': case u'x': case u'X': {
        unsigned v = va_arg(args, unsigned);
        char buf[16];
        snprintf(buf, sizeof buf, *p == u'u' ? "%u" : (*p == u'x' ? "%x" : "%X"), v);
        body.assign(buf, buf + strlen(buf));
        break;
      }
      case u'c': body.push_back(static_cast<WCHAR>(va_arg(args, int))); break;
      case u's': case u'S': {
        LPCWSTR s = va_arg(args, LPCWSTR);
        if (!s) s = u"(null)";
        body = s;
        if (precision >= 0 && body.size() > static_cast<size_t>(precision)) body.resize(precision);
        zero = false;
        break;
      }
      case 0: return out;
      default: body.push_back(*p); break;
    }
    AppendPadded(out, body, width, left, zero && !left);
  }
  return out;
}

}  // namespace

HRESULT StringCchPrintfW(LPWSTR dest, size_t cchDest, LPCWSTR format, ...) {
  if (!dest || cchDest == 0) return E_INVALIDARG;
  va_list args;
  va_start(args, format);
  std::u16string text = FormatV(format, args);
  va_end(args);
  return StringCchCopyNW(dest, cchDest, text.c_str(), text.size());
}

int wsprintfW(LPWSTR dest, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  std::u16string text = FormatV(format, args);
  va_end(args);
  for (size_t i = 0; i < text.size(); ++i) dest[i] = text[i];
  dest[text.size()] = 0;
  return static_cast<int>(text.size());
}
