// The message list: rows and previews, the title's counts, the footer's taps and holds, the
// program menu, deleting and calling.
#include "view_fixture.h"
#include "phone.h"
#include "platform/ui/resources.h"
#include "views/conversation_row.h"

namespace viewtest {
namespace {

using parlo::ConversationRow;
using parlo::MainView;

class MainViewTest : public ViewTest {
 protected:
  ConversationRow* Row(int i) { return static_cast<ConversationRow*>(main_->list().RowAt(i)); }
  HWND View() { return main_->Window(); }
  // Taps conversation row i (rows are 120 pixels high at 192 dpi).
  void TapRow(int i) { Tap(main_->list().hwnd(), POINT{200, i * 120 + 60}); }
  std::string Calls() { return parlo_test::ReadFileBytes(device_->dir() / "network" / "calls.jsonl"); }
};

// The title counts unread and all messages and follows the unread count; it is black, and blue
// while pressed.
TEST_F(MainViewTest, TitleShowsUnreadAndTotalMessagesAndIsBlackAndBlueWhilePressed) {
  Load();
  MainView& view = ShowList();
  EXPECT_EQ(std::pair(view.list().RowCount(), ColourOf(u"Parlo - 「0/0」")), std::pair(0, RGB(0, 0, 0)));
  Down(View(), Center(view.TitleRect()));
  Pump();
  EXPECT_EQ(ColourOf(u"Parlo - 「0/0」"), 0xFF0000u);
  MoveTo(View(), POINT{300, 400});  // leaving the title clears it; the release opens nothing
  Up(View(), POINT{300, 400});
  Pump();
  EXPECT_EQ(ColourOf(u"Parlo - 「0/0」"), RGB(0, 0, 0));

  Put(u"\\RECV_MSG", Msg(u"01011112222", u"one", 1, 0));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"two", 2, 0));
  Put(u"\\SEND_MSG", Msg(u"01033334444", u"three", 3, 1, 2));
  SetUnread(2);
  Load();
  ShowList();
  EXPECT_TRUE(FindText(u"Parlo - 「2/3」").has_value());
  SetUnread(7);
  Pump();
  EXPECT_EQ(std::pair(view.UnreadCount(), FindText(u"Parlo - 「7/3」").has_value()), std::pair(7, true));
}

TEST(PreviewText, LineBreaksDoNotCountTowardsTheLimit) {
  EXPECT_EQ((std::vector<std::u16string>{parlo::PreviewText(u"\r\n\r\n0123456789\n0123456789\r\nXYZ", false),
                                         parlo::PreviewText(u"", false), parlo::PreviewText(nullptr, true),
                                         parlo::PreviewText(u"a\r\nb", true)}),
            (std::vector<std::u16string>{u"0123456789" u"0123456789" u"X", u"", u"", u"a\r\nb"}));
}

// A row shows the newest message: its preview (line breaks skipped, unless the original view keeps
// the whole text), the name, and the date line with the count. Without a skin there is no default
// picture: the picture box stays white, never the image's old contents.
TEST_F(MainViewTest, RowShowsPreviewNameDateLineAndCountOfTheNewestMessageAndAWhitePictureBox) {
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"older", 1));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"new\r\ner", 2));
  for (bool newestLast : {false, true}) {
    SCOPED_TRACE(newestLast);
    settings_.view_sort = settings_.use_original_view = newestLast;
    MessageStore* store = Load();
    ShowList();
    ASSERT_EQ(main_->list().RowCount(), 1);
    const MessageRecord* newest = newestLast ? store->ConversationAt(0).back().get() : store->ConversationAt(0).front().get();
    const std::u16string preview = newestLast ? u"new\r\ner" : u"newer";
    EXPECT_EQ(std::tuple(Row(0)->preview, Row(0)->name, Row(0)->dateLine),
              std::tuple(preview, u"01011112222", std::u16string(newest->timeText) + u" (2건)"));
    EXPECT_TRUE(FindText(Row(0)->dateLine).has_value());
    EXPECT_TRUE(newestLast || FindText(u"newer").has_value());  // the short preview is drawn whole
    EXPECT_EQ(platform::gdi::ScreenPixel(30, 70 + 30), 0xFFFFFFu);
  }
}

// Answered no, everything stays; answered yes, everything goes, though the finger lifts elsewhere.
TEST_F(MainViewTest, HoldingDeleteAsksToDeleteEverything) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    Put(u"\\RECV_MSG", Msg(u"01011111111", u"a", 1));
    Put(u"\\SEND_MSG", Msg(u"01022222222", u"b", 5, 1, 2));
    Load();
    MainView& view = ShowList();
    platform::ui::ClearMessageBoxLog();
    Answer(answer);
    Down(View(), Center(view.RightButtonRect()));
    Advance(399);
    EXPECT_TRUE(Boxes().empty());
    Advance(1);
    ExpectOneBox(u"정말로 모든 메시지를 삭제하겠습니까?", u"확인", MB_YESNO);
    Up(View(), answer == IDYES ? POINT{100, 300} : Center(view.RightButtonRect()));
    Pump();
    EXPECT_EQ(Boxes().size(), 1u);  // the release after the hold acts on nothing
    const int left = answer == IDYES ? 0 : 1;
    EXPECT_EQ(std::tuple(messages_->ConversationCount(), Records(DB_RECV), Records(DB_SEND)),
              std::tuple(2 * left, left, left));
  }
  EXPECT_TRUE(FindText(u"Parlo - 「0/0」").has_value());
}

// Tapping a row opens its conversation, and coming back highlights and selects it; a tap on
// 삭제 deletes the selected one after the question; a tap on 보내기 asks for a reply.
TEST_F(MainViewTest, TappingARowSelectsItAndTappingDeleteDeletesItAfterTheQuestion) {
  Put(u"\\RECV_MSG", Msg(u"01011111111", u"keep", 1));
  Put(u"\\RECV_MSG", Msg(u"01022222222", u"delete me", 5));
  Put(u"\\SEND_MSG", Msg(u"01022222222", u"and me", 6, 1, 2));
  MessageStore* store = Load();
  MainView& view = ShowList();
  TapRow(1);
  EXPECT_EQ(calls_, (std::vector<Asked>{{UM_SHOWTHREAD, 1, 0}}));
  ShowList();
  EXPECT_EQ(std::pair(view.list().CursorRow(), view.SelectedConversation()), std::pair(1, 1));
  ASSERT_NE(view.SelectedFirstRecord(), nullptr);
  EXPECT_EQ(std::u16string(view.SelectedFirstRecord()->text), u"keep");
  TapRow(0);
  ShowList();
  platform::ui::ClearMessageBoxLog();
  Hold(View(), view.RightButtonRect(), 399);  // short of a hold: a tap
  ExpectOneBox(u"정말로 메시지를 삭제하겠습니까?", u"확인", MB_YESNO);
  ASSERT_EQ(store->ConversationCount(), 1);
  EXPECT_EQ(std::u16string(store->ConversationAt(0).front()->text), u"keep");
  EXPECT_EQ(std::tuple(Records(DB_RECV), Records(DB_SEND), view.list().RowCount()), std::tuple(1, 0, 1));
  EXPECT_TRUE(FindText(u"Parlo - 「0/1」").has_value());
  // No timer is left to fire later.
  Advance(1000);
  EXPECT_EQ(Boxes().size(), 1u);
  calls_.clear();
  Tap(View(), Center(view.LeftButtonRect()));
  EXPECT_EQ(calls_, (std::vector<Asked>{{UM_SHOWCOMPOSE, 1, 1}}));
}

// A pressed footer button turns blue-grey; the finger leaving it clears that and cancels both
// its hold and its tap, whether or not the finger comes back to lift.
TEST_F(MainViewTest, LeavingAPressedButtonCancelsItsLookItsHoldAndItsTap) {
  Put(u"\\RECV_MSG", Msg(u"01011111111", u"a", 1));
  Load();
  MainView& view = ShowList();
  const RECT& left = view.LeftButtonRect();
  auto face = [&left] { return platform::gdi::ScreenPixel(left.left + 40, left.top + 20); };
  EXPECT_EQ(face(), 0xD4D0C8u);
  for (auto [button, comesBack] : {std::pair{&view.RightButtonRect(), true}, std::pair{&left, false}}) {
    Down(View(), Center(*button));
    Pump();
    if (button == &left) {
      EXPECT_EQ(face(), 0x7D9EC0u);
    }
    MoveTo(View(), POINT{100, 300});
    Pump();
    EXPECT_EQ(face(), 0xD4D0C8u);
    Advance(1000);
    if (comesBack) MoveTo(View(), Center(*button));
    Up(View(), Center(*button));
    Pump();
  }
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(CountOf(UM_SHOWCOMPOSE), 0u);
}

// With nothing selected, and with a remembered row past the last (its conversation deleted
// meanwhile), 삭제 says so and the talk key calls nobody; afterwards the selected one is called.
// A conversation without a number says so and calls nobody.
TEST_F(MainViewTest, WithNoSelectionOrNoNumberTheTalkKeyCallsNobody) {
  Put(u"\\RECV_MSG", Msg(u"01011111111", u"a", 1));
  Put(u"\\RECV_MSG", Msg(u"01022222222", u"b", 5));
  Put(u"\\RECV_MSG", Msg(u"01033333333", u"c", 9));
  MessageStore* store = Load();
  MainView& view = ShowList();
  for (bool remembered : {false, true}) {
    SCOPED_TRACE(remembered ? "a remembered row past the last" : "nothing selected yet");
    if (remembered) {
      TapRow(2);
      store->DeleteConversation(2);
      ShowList();
    }
    EXPECT_EQ(view.SelectedConversation(), -1);
    platform::ui::ClearMessageBoxLog();
    KeyUp(View(), VK_F3);
    EXPECT_EQ(Calls(), "");
    EXPECT_TRUE(Boxes().empty());
    Tap(View(), Center(view.RightButtonRect()));
    ExpectOneBox(u"선택된 메시지가 없습니다.", u"정보", MB_OK);
  }
  EXPECT_EQ(store->ConversationCount(), 2);
  TapRow(1);
  ShowList();
  KeyUp(View(), VK_F3);
  const std::string called = "{\"number\": \"01022222222\", \"name\": \"01022222222\", \"time\": \"2024-03-05 14:07:09\"}\n";
  EXPECT_EQ(Calls(), called);
  Put(u"\\RECV_MSG", Msg(u"", u"anonymous", 10));
  Load();
  ShowList();
  ASSERT_EQ(std::u16string(store->DisplayNameFor(store->ConversationAt(0).front()->number)), kNoSenderName);
  TapRow(0);
  ShowList();
  platform::ui::ClearMessageBoxLog();
  KeyUp(View(), VK_F3);
  ExpectOneBox(u"수신된 전화번호가 없습니다.", u"정보", MB_OK);
  EXPECT_EQ(Calls(), called);
}

// A request it cannot place is refused and writes nothing; each placed call is one JSON line.
TEST(PhoneMakeCall, RefusesWhatItCannotPlaceAndRecordsEachCallAsOneJsonLine) {
  parlo_test::TempDevice device;
  PHONEMAKECALLINFO cut{}, info{};
  cut.cbSize = 12;
  cut.pszDestAddress = u"010";
  info.cbSize = PHONEMAKECALLINFO_PHONE_SIZE;
  info.pszDestAddress = u"";
  for (PHONEMAKECALLINFO* bad : {&cut, &info, static_cast<PHONEMAKECALLINFO*>(nullptr)})
    EXPECT_EQ(PhoneMakeCall(bad), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(std::filesystem::exists(device.dir() / "network" / "calls.jsonl"));
  info.dwFlags = PMCF_DEFAULT;
  info.pszDestAddress = u"010-9\"9";
  info.pszCalledParty = u"홍길동";
  EXPECT_EQ(PhoneMakeCall(&info), 0);
  info.pszCalledParty = nullptr;
  EXPECT_EQ(PhoneMakeCall(&info), 0);
  EXPECT_EQ(parlo_test::ReadFileBytes(device.dir() / "network" / "calls.jsonl"),
            "{\"number\": \"010-9\\\"9\", \"name\": \"홍길동\", \"time\": \"2024-03-05 14:07:09\"}\n"
            "{\"number\": \"010-9\\\"9\", \"name\": \"\", \"time\": \"2024-03-05 14:07:09\"}\n");
}

TEST_F(MainViewTest, TitleTapOpensTheMenuWithCheckMarksFromSettingsAndItsCommandsToggleOrReachTheFrame) {
  Load();
  MainView& view = ShowList();
  Settings& s = settings_;
  s.use_lock = s.view_sort = true;
  s.close = s.use_original_view = false;
  std::vector<platform::ui::MenuItemInfo> seen;
  OnMenu([&seen] {
    seen = *platform::ui::CurrentMenu();
    platform::ui::ChooseMenuItem(ID_USE_LOCK);
  });
  Tap(View(), Center(view.TitleRect()));
  ASSERT_EQ(seen.size(), 12u);
  std::vector<int> checks;  // -1: no such item
  for (UINT id : {ID_USE_LOCK, ID_SORT_DESCENDING, ID_HIDE_ON_EXIT, ID_SHORT_PREVIEW, ID_LOCK_NOW}) {
    auto it = std::find_if(seen.begin(), seen.end(), [id](const auto& item) { return item.id == id; });
    checks.push_back(it == seen.end() ? -1 : it->checked);
  }
  // Sort, hide and preview are checked when view_sort, close and use_original_view are off.
  EXPECT_EQ(checks, (std::vector<int>{1, 0, 1, 1, 0}));
  EXPECT_FALSE(s.use_lock);  // the chosen item toggled it

  // Toggles change the settings (preview and sort then ask for a refresh under the wait cursor);
  // the rest reach the frame.
  s.view_sort = false;
  s.close = true;
  const struct {
    UINT id;
    std::vector<Asked> asked;
    std::optional<bool> wait;  // nothing: either cursor will do
  } cases[] = {
      {ID_SHORT_PREVIEW, {{WM_COMMAND, ID_REFRESH_MESSAGES, 0}}, true},
      {ID_SORT_DESCENDING, {{WM_COMMAND, ID_REFRESH_MESSAGES, 0}}, true},
      {ID_HIDE_ON_EXIT, {}, std::nullopt},
      {ID_REFRESH_CONTACTS, {{WM_COMMAND, ID_REFRESH_CONTACTS, 0}}, std::nullopt},
      {ID_ABOUT, {{WM_COMMAND, ID_ABOUT, 0}}, false},
      {ID_EXIT, {{WM_CLOSE, 0, 0}}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    calls_.clear();
    Command(View(), c.id);
    EXPECT_EQ(calls_, c.asked);
    EXPECT_TRUE(!c.wait || calls_.empty() || lastCallWaited_ == *c.wait);
  }
  EXPECT_EQ(std::tuple(s.use_original_view, s.view_sort, s.close), std::tuple(true, true, false));
  EXPECT_FALSE(platform::ui::CursorIsWait());
}

}  // namespace
}  // namespace viewtest
