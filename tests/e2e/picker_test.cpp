// The contact picker on a phone set up as a user gets it, through `screen` and `state`.
#include <string>
#include <vector>

#include "e2e/session.h"

namespace {

using namespace e2e;
using Names = std::vector<std::string>;

class Picker : public DeviceTest {
 protected:
  // The demo phone, with the program's settings as its installer leaves them.
  Args InitArgs() const override { return {"init"}; }

  static void Key(Parlo& parlo, const std::string& caption) { TapItem(parlo, "keypad", "caption", caption); }
  static Names Listed(Parlo& parlo, const char* list = "listed") {
    Names names;
    const json state = parlo.Send("state");
    for (const json& c : state["contacts"][list]) names.push_back(c["name"]);
    return names;
  }
  static json ColourOf(Parlo& parlo, const std::string& text) { return Item(parlo, "texts", "text", text)["color"]; }
};

// One session: a fresh phone opens on the picker without the lock, the keypad finds in Hangul and
// in Latin letters, the categories narrow, and a tap or the enter key picks for the compose view.
TEST_F(Picker, TheKeypadAndTheCategoriesFindAndAPickGoesToTheComposeView) {
  Json({"reg", "set", kSettingsKey, "use_lock", "dword", "1"});
  Parlo parlo(device_.dir(), {"-contacts"});
  EXPECT_EQ(parlo.Send("screen")["view"], "ContactView");
  ExpectFields(parlo.Send("state"),
               {{"mode", 6},
                {"settings", {{"find_name", true}, {"find_call_number", true}, {"find_company_name", false}}},
                {"contacts", {{"category", "전체"}}}});
  EXPECT_EQ(Listed(parlo).size(), 8u);
  ASSERT_EQ(parlo.Send("screen")["keypad"].size(), 12u);

  Key(parlo, "1");
  EXPECT_EQ(ColourOf(parlo, "김"), "#66CC66");
  Key(parlo, "6");
  ExpectFields(parlo.Send("state")["contacts"], {{"digits", "16"}, {"letters", "ㄱㅈ"}});
  EXPECT_EQ(Listed(parlo), (Names{"김철수"}));
  EXPECT_EQ(ColourOf(parlo, "김철"), "#66CC66");
  Key(parlo, "←");
  EXPECT_EQ(parlo.Send("state")["contacts"]["digits"], "1");
  EXPECT_EQ(Listed(parlo).size(), 8u);  // every demo number holds a 1
  Key(parlo, "한/영");
  const json keys = parlo.Send("screen")["keypad"];
  EXPECT_EQ(keys[0]["letters"], "ab");
  EXPECT_EQ(keys[11]["caption"], "영/한");
  EXPECT_EQ(parlo.Send("state")["contacts"]["hangul"], false);
  EXPECT_EQ(Listed(parlo).size(), 8u);
  Key(parlo, "←");

  TapText(parlo, "범주 : 전체");
  json menu = parlo.Send("screen")["menu"];
  ASSERT_TRUE(menu.is_array());
  Names texts;
  for (const json& item : menu) texts.push_back(item["text"]);
  EXPECT_EQ(texts, (Names{"전체", "Family", "Work", "Friends", "범주없음", "단체문자"}));
  EXPECT_EQ(menu[0]["checked"], true);
  TapCenter(parlo, menu[4]["rect"]);
  EXPECT_EQ(parlo.Send("screen")["menu"], nullptr);
  EXPECT_EQ(ColourOf(parlo, "범주 : 범주없음"), "#000000");
  EXPECT_EQ(Listed(parlo), (Names{"최지우"}));
  TapText(parlo, "범주 : 범주없음");
  TapCenter(parlo, parlo.Send("screen")["menu"][5]["rect"]);
  EXPECT_EQ(parlo.Send("state")["contacts"]["category"], "단체문자");
  EXPECT_TRUE(Listed(parlo).empty());
  Key(parlo, "1");
  EXPECT_EQ(parlo.Send("state")["contacts"]["digits"], "");
  EXPECT_TRUE(Listed(parlo).empty());
  TapText(parlo, "범주 : 단체문자");
  TapCenter(parlo, parlo.Send("screen")["menu"][0]["rect"]);

  TapText(parlo, "이영희");
  EXPECT_EQ(Listed(parlo, "picked"), (Names{"이영희"}));
  ExpectFields(parlo.Send("state"), {{"mode", 3}, {"compose", {{"recipient", "이영희"}, {"picked", true}}}});
  // 받는사람 goes back to the picker, which starts the group list afresh.
  TapText(parlo, "받는사람");
  EXPECT_EQ(parlo.Send("screen")["view"], "ContactView");
  EXPECT_TRUE(Listed(parlo, "picked").empty());
  parlo.Send("key up");
  parlo.Send("key enter");
  const json state = parlo.Send("state");
  EXPECT_EQ(state["mode"], 3);
  ASSERT_EQ(Listed(parlo, "picked").size(), 1u);
  EXPECT_EQ(state["compose"]["recipient"], Listed(parlo, "picked")[0]);
}

}  // namespace
