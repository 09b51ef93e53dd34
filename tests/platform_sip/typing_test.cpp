// Text typed by automation goes through the keys; `screen` reports the panel's keys.
#include "platform/automation/commands.h"
#include "platform/sip/input_mode.h"
#include "platform/sip/syllable_breaks.h"
#include "platform/sip/two_set.h"
#include "platform/sip/typing.h"
#include "platform/ui/controls.h"
#include "platform/wm/loop.h"
#include "sip_fixture.h"
#include "sipapi.h"

namespace siptest {
namespace {

using platform::sip::KeysForHangul;
using platform::sip::LetterKey;

using TypingTest = SipTest;

// The keys typed for `text`, shifted ones as capitals.
std::string Spelled(const std::u16string& text, std::vector<LetterKey>* keys) {
  std::string out;
  for (char16_t ch : text)
    for (const LetterKey& k : KeysForHangul(ch)) {
      keys->push_back(k);
      out += k.shift ? static_cast<char>(k.letter - 32) : k.letter;
    }
  return out;
}

// Syllables and jamo spell as their keys. Typing must end the syllable where the automaton would
// join what the text keeps apart, so the keys spell the text only when nothing runs together.
TEST(TwoSetTest, TextsSpellAsTheirKeysWhichSpellTheTextOnlyWhenNothingRunsTogether) {
  struct Case {
    const char16_t* text;
    const char* keys;
    bool spelled;
  } cases[] = {{u"가", "rk", true},        {u"닭", "ekfr", true},     {u"왜", "dho", true},    {u"빠", "Qk", true},
               {u"있", "dlT", true},       {u"ㄳ", "rt", true},       {u"ㅢ", "ml", true},     {u"ㅒ", "O", true},
               {u"힣", "glg", true},       {u"가나", "rksk", true},   {u"갈비", "rkfql", true}, {u"닭이", "ekfrdl", true},
               {u"ㅋㅋ", "zz", true},      {u"ㅅㅅ", "tt", true},     {u"갈ㅂ", "rkfq", false}, {u"가ㄴ", "rks", false},
               {u"오ㅏ", "dhk", false}};
  for (const Case& c : cases) {
    std::vector<LetterKey> keys;
    EXPECT_EQ(Spelled(c.text, &keys), c.keys) << c.keys;
    EXPECT_EQ(platform::sip::KeysSpell(keys, c.text), c.spelled) << c.keys;
  }
  EXPECT_TRUE(KeysForHangul(u'A').empty());
  EXPECT_EQ(platform::sip::JamoForKey('r', true), u'ㄲ');
  EXPECT_EQ(platform::sip::JamoForKey('k', true), u'ㅏ');
}

TEST_F(TypingTest, HangulIsTypedAsJamoKeysInHangulModeAndLettersInLatin) {
  ASSERT_TRUE(platform::sip::TypeText(u"까a B\n", true));
  EXPECT_EQ(Pressed(), "+RKA +B\r");
  EXPECT_FALSE(platform::sip::FocusedIsHangul());  // left as the last letter needed it
  Clear();
  ASSERT_TRUE(platform::sip::TypeText(u"1?", false));
  EXPECT_EQ(Typed(), u"1?");
}

TEST_F(TypingTest, HangulKeySwitchesTheModeAfterTheKeysBeforeIt) {
  using platform::automation::RunCommand;
  SipShowIM(SIPF_ON);
  RunCommand("key a down");
  RunCommand("key hangul");
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(platform::sip::FocusedIsHangul());
  EXPECT_TRUE(HasKey("q"));  // the panel's layout follows
  EXPECT_EQ(Pressed(), "A");
  RunCommand("key hangul up");  // the release switches nothing
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(platform::sip::FocusedIsHangul());
  SetFocus(nullptr);
  EXPECT_TRUE(RunCommand("type abc").answer.contains("error")) << "nothing focused";
}

// An edit in `windows`: its committed text, the syllable being composed and the selection; the
// panel's keys while it is shown.
TEST_F(TypingTest, ScreenReportsAnEditsTextCompositionAndSelectionAndThePanelsKeys) {
  using platform::automation::RunCommand;
  platform::ui::RegisterSystemClasses();
  HWND edit = CreateWindowExW(0, u"EDIT", u"abc", WS_CHILD | WS_VISIBLE, 10, 10, 200, 40, typist_, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  constexpr UINT kSetSelection = 0x00B1;  // EM_SETSEL
  SendMessageW(edit, kSetSelection, 1, 2);
  SetFocus(edit);
  auto report = [&] {
    const nlohmann::json screen = RunCommand("screen").answer;
    for (const auto& w : screen["windows"])
      if (w["class"] == "EDIT" || w["class"] == "Edit") return w;
    return nlohmann::json();
  };
  EXPECT_EQ(report()["selection"], nlohmann::json::array({1, 2}));
  SendMessageW(edit, kSetSelection, 3, 3);
  for (auto [command, text, composition] : {std::tuple{"compose 한", "abc", "한"}, {"type 글", "abc한글", ""}}) {
    RunCommand(command);
    const nlohmann::json shown = report();
    EXPECT_EQ(shown["text"], text) << command;
    EXPECT_EQ(shown["composition"], composition) << command;
  }
  // The panel's keys are listed only while it is shown, and not as one of the program's windows
  // (tapping a key where `screen` places it is the end-to-end compose tests' part).
  EXPECT_EQ(RunCommand("screen").answer["sip"], false);
  EXPECT_FALSE(RunCommand("screen").answer.contains("sip_keys"));
  SipShowIM(SIPF_ON);
  platform::wm::PumpUntilIdle();
  const nlohmann::json screen = RunCommand("screen").answer;
  EXPECT_EQ(screen["sip"], true);
  ASSERT_FALSE(screen["sip_keys"].empty());
  EXPECT_EQ(screen["sip_keys"][0]["label"], screen["sip_keys"][0]["key"]);
  for (const auto& w : screen["windows"]) EXPECT_NE(w["class"], "SipWndClass");
}

}  // namespace
}  // namespace siptest
