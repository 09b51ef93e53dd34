// The Hangul input method through the real key path: the two-set automaton's messages as a
// subclassed edit sees them, commits, mode switches and contexts.
#include <string>
#include <vector>

#include "platform/base/text.h"
#include "platform/ui/ime.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

// What the program's own procedure in front of an edit saw, in order: S start, E end,
// C:x composing x, R:x result x, X a composition message without flags, W:x WM_CHAR x.
std::vector<std::string> g_seen;
WNDPROC g_standard = nullptr;

std::u16string Composition(HWND h, DWORD index = GCS_COMPSTR) {
  HIMC himc = ImmGetContext(h);
  std::u16string s(static_cast<size_t>(ImmGetCompositionStringW(himc, index, nullptr, 0)) / 2, u'\0');
  ImmGetCompositionStringW(himc, index, s.data(), static_cast<DWORD>(s.size() * 2));
  ImmReleaseContext(h, himc);
  return s;
}

LRESULT CALLBACK InFront(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_IME_STARTCOMPOSITION: g_seen.push_back("S"); break;
    case WM_IME_ENDCOMPOSITION: g_seen.push_back("E"); break;
    case WM_IME_COMPOSITION:
      if (lParam & GCS_RESULTSTR) g_seen.push_back("R:" + platform::Utf16ToUtf8(Composition(h, GCS_RESULTSTR)));
      else if (lParam & GCS_COMPSTR) g_seen.push_back("C:" + platform::Utf16ToUtf8(Composition(h)));
      else g_seen.push_back("X");
      break;
    case WM_CHAR: {
      // Seen here first: the standard edit has not inserted it yet.
      size_t before = TextOf(h).size();
      LRESULT r = CallWindowProcW(g_standard, h, msg, wParam, lParam);
      EXPECT_EQ(TextOf(h).size(), before + 1);
      g_seen.push_back("W:" + platform::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(wParam))));
      return r;
    }
  }
  return CallWindowProcW(g_standard, h, msg, wParam, lParam);
}

class ImeTest : public UiTest {
 protected:
  HWND HangulEdit() {
    HWND e = Control(u"EDIT", WS_BORDER | ES_MULTILINE | ES_WANTRETURN, 1001, RECT{10, 100, 470, 300});
    g_standard = reinterpret_cast<WNDPROC>(SetWindowLongW(e, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(InFront)));
    SetFocus(e);
    SetMode(e, IME_CMODE_NATIVE);
    g_seen.clear();
    return e;
  }
  static void SetMode(HWND e, DWORD mode) {
    HIMC himc = ImmGetContext(e);
    ASSERT_TRUE(ImmSetConversionStatus(himc, mode, IME_SMODE_NONE));
    ImmReleaseContext(e, himc);
  }
  static std::string Seen() {
    std::string s;
    for (const auto& e : g_seen) s += (s.empty() ? "" : " ") + e;
    return s;
  }
};

struct AutomatonCase {
  const char* keys;
  const char* seen;
  const char16_t* text;         // committed
  const char16_t* composition;  // still composing
};

TEST_F(ImeTest, TwoSetAutomatonThroughTheMessages) {
  const AutomatonCase cases[] = {
      {"rk", "S C:ㄱ C:가", u"", u"가"},
      {"rks", "S C:ㄱ C:가 C:간", u"", u"간"},
      {"rksk", "S C:ㄱ C:가 C:간 R:가 E W:가 S C:나", u"가", u"나"},
      {"ehk", "S C:ㄷ C:도 C:돠", u"", u"돠"},
      {"rks<<<", "S C:ㄱ C:가 C:간 C:가 C:ㄱ X E", u"", u""},
      {"Rk", "S C:ㄲ C:까", u"", u"까"},
      {"QOE", "S C:ㅃ C:뺴 R:뺴 E W:뺴 S C:ㄸ", u"뺴", u"ㄸ"},
      {"rk k", "S C:ㄱ C:가 R:가 E W:가 W:  S C:ㅏ", u"가 ", u"ㅏ"},
      {"dkssud<<", "S C:ㅇ C:아 C:안 R:안 E W:안 S C:ㄴ C:녀 C:녕 C:녀 C:ㄴ", u"안", u"ㄴ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    HWND e = HangulEdit();
    TypeKeys(c.keys);
    EXPECT_EQ(std::tuple(Seen(), TextOf(e), Composition(e)), std::tuple(c.seen, c.text, c.composition));
    DestroyWindow(e);
  }
}

TEST_F(ImeTest, WhatEndsTheSyllableCommitsIt) {
  struct Case {
    const char* what;
    std::function<void(HWND edit, HWND other)> act;
  };
  const Case cases[] = {
      {"caret moved by a key", [](HWND, HWND) { PressKey(VK_LEFT); }},
      {"tap inside the edit", [](HWND, HWND) { Tap(200, 150); }},
      {"tap on another field", [](HWND, HWND) { Tap(200, 400); }},
      {"mode switched", [](HWND e, HWND) { SetMode(e, IME_CMODE_ALPHANUMERIC); }},
      {"focus given away", [](HWND, HWND other) { SetFocus(other); }},
      {"hangul key", [](HWND, HWND) { PressKey(VK_HANGUL); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HWND other = Control(u"EDIT", WS_BORDER, 1003, RECT{10, 380, 470, 420});
    HWND e = HangulEdit();
    TypeKeys("gks");
    c.act(e, other);
    platform::wm::PumpUntilIdle();
    EXPECT_EQ(std::tuple(TextOf(e), Composition(e), g_seen.back()), std::tuple(u"한", u"", "W:한"));
    DestroyWindow(e);
    DestroyWindow(other);
  }
}

// The Hangul key switches the mode and tells the listeners; Latin mode types plain characters;
// the context of a destroyed window is refused.
TEST_F(ImeTest, HangulKeySwitchesModeAndLatinModeTypesPlainCharactersAndContextsDieWithTheirWindow) {
  HWND e = HangulEdit();
  std::vector<DWORD> heard;
  int id = platform::ui::AddConversionListener([&](HWND h, DWORD mode) {
    EXPECT_EQ(h, e);
    heard.push_back(mode);
  });
  for (DWORD mode : {IME_CMODE_ALPHANUMERIC, IME_CMODE_NATIVE}) {
    PressKey(VK_HANGUL);
    EXPECT_EQ(platform::ui::FocusedConversionMode(), mode);
  }
  platform::ui::RemoveConversionListener(id);
  EXPECT_EQ(heard, (std::vector<DWORD>{IME_CMODE_ALPHANUMERIC, IME_CMODE_NATIVE}));
  // In Latin mode the keys type plain characters.
  SetMode(e, IME_CMODE_ALPHANUMERIC);
  g_seen.clear();
  TypeKeys("Rk s");
  EXPECT_EQ(std::tuple(Seen(), TextOf(e)), std::tuple("W:R W:k W:  W:s", u"Rk s"));
  HIMC himc = ImmGetContext(e);
  ASSERT_NE(himc, nullptr);
  DestroyWindow(e);
  DWORD conversion = 0, sentence = 0;
  EXPECT_EQ(std::tuple(ImmGetContext(e), ImmGetConversionStatus(himc, &conversion, &sentence),
                       ImmSetConversionStatus(himc, IME_CMODE_NATIVE, 0),
                       ImmGetCompositionStringW(himc, GCS_COMPSTR, nullptr, 0)),
            std::tuple(HIMC(nullptr), FALSE, FALSE, LONG(IMM_ERROR_GENERAL)));
}

}  // namespace
}  // namespace uitest
