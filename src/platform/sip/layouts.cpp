#include "platform/sip/layouts.h"

#include "platform/base/text.h"
#include "platform/sip/two_set.h"
#include "platform/sip/typing.h"
#include "winuser.h"

namespace platform::sip {
namespace {

constexpr const char* kLetterRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};

KeyCap Special(KeyKind kind, const char* name, std::u16string label, UINT vk, int width) {
  return KeyCap{name, std::move(label), kind, vk, false, width};
}

KeyCap Typing(std::u16string label, UINT vk, bool shift, int width = 2) {
  return KeyCap{Utf16ToUtf8(label), label, KeyKind::kType, vk, shift, width};
}

KeyCap ForChar(char16_t ch) {
  UINT vk = 0;
  bool shift = false;
  KeyForChar(ch, &vk, &shift);
  return Typing(std::u16string(1, ch), vk, shift);
}

std::vector<KeyCap> LetterRow(Layout layout, const char* letters, bool shifted) {
  std::vector<KeyCap> row;
  for (const char* p = letters; *p; ++p) {
    UINT vk = static_cast<UINT>(*p - 'a' + 'A');
    if (layout == Layout::kHangul) {
      // Shift matters only where it gives another jamo (ㄲ, ㅒ, ...).
      char16_t jamo = JamoForKey(*p, shifted);
      bool needsShift = shifted && jamo != JamoForKey(*p, false);
      row.push_back(Typing(std::u16string(1, jamo), vk, needsShift));
    } else {
      char16_t c = static_cast<char16_t>(shifted ? *p - 'a' + 'A' : *p);
      row.push_back(Typing(std::u16string(1, c), vk, shifted));
    }
  }
  return row;
}

std::vector<KeyCap> CharRow(const char16_t* chars) {
  std::vector<KeyCap> row;
  for (const char16_t* p = chars; *p; ++p) row.push_back(ForChar(*p));
  return row;
}

std::u16string ModeLabel(Layout layout) {
  switch (NextLayout(layout)) {
    case Layout::kHangul: return u"한글";
    case Layout::kLatin: return u"ABC";
    case Layout::kSymbols: return u"?123";
  }
  return u"";
}

std::u16string SpaceLabel(Layout layout) {
  switch (layout) {
    case Layout::kHangul: return u"한국어";
    case Layout::kLatin: return u"English";
    case Layout::kSymbols: return u"";
  }
  return u"";
}

}  // namespace

Layout NextLayout(Layout layout) {
  switch (layout) {
    case Layout::kHangul: return Layout::kLatin;
    case Layout::kLatin: return Layout::kSymbols;
    case Layout::kSymbols: return Layout::kHangul;
  }
  return Layout::kHangul;
}

KeyRows RowsFor(Layout layout, bool shifted) {
  KeyRows rows;
  if (layout == Layout::kSymbols) {
    rows.push_back(CharRow(u"1234567890"));
    rows.push_back(CharRow(u"!@#$%^&*()"));
    rows.push_back(CharRow(u"-/:;'\"?+"));
  } else {
    for (const char* letters : kLetterRows) rows.push_back(LetterRow(layout, letters, shifted));
    rows[2].insert(rows[2].begin(), Special(KeyKind::kShift, "shift", u"⇧", VK_SHIFT, 3));
  }
  rows[2].push_back(Special(KeyKind::kBackspace, "backspace", u"⌫", VK_BACK, layout == Layout::kSymbols ? 4 : 3));
  rows.push_back({Special(KeyKind::kMode, "mode", ModeLabel(layout), 0, 3),
                  Special(KeyKind::kHide, "hide", u"▼", 0, 2), ForChar(u','),
                  Special(KeyKind::kSpace, "space", SpaceLabel(layout), VK_SPACE, 8), ForChar(u'.'),
                  Special(KeyKind::kEnter, "enter", u"↵", VK_RETURN, 3)});
  return rows;
}

}  // namespace platform::sip
