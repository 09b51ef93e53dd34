// The conversation view: marking read, bubbles and plain entries with their colours, the footer's
// taps and holds, deleting, and the hand-over to the multimedia composer.
#include <sys/stat.h>

#include <condition_variable>
#include <fstream>
#include <mutex>

#include "platform/base/text.h"
#include "view_fixture.h"
#include "views/message_row.h"
#include "views/thread_view_mms.h"

namespace viewtest {
namespace {

using parlo::ThreadView;

int g_unreadNotes = 0;
WNDPROC g_mainProc = nullptr;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == parlo::UM_UNREAD_CHANGED) ++g_unreadNotes;
  return CallWindowProcW(g_mainProc, hwnd, message, wParam, lParam);
}

// What the hand-off worker asked for (mode, message id), from its own thread.
using Launch = std::pair<std::u16string, std::u16string>;
struct Launches {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Launch> seen;
  // What was asked once there are n, or after ten seconds.
  std::vector<Launch> WaitFor(size_t n) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(10), [&] { return seen.size() >= n; });
    return seen;
  }
};

class ThreadViewTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    ThreadView::SetMmsLauncherForTests([this](const WCHAR* mode, const WCHAR* id) {
      std::lock_guard<std::mutex> lock(launches_.mutex);
      launches_.seen.emplace_back(mode, id);
      launches_.changed.notify_all();
      return true;
    });
  }
  void TearDown() override {
    ThreadView::SetMmsLauncherForTests(nullptr);
    ViewTest::TearDown();
  }

  HWND View() { return thread_->Window(); }
  // The model from the volume, the list, then the first conversation.
  ThreadView& OpenFirst() {
    Load();
    ShowList();
    return OpenThread(0);
  }
  // Row i's rectangle on the screen (the list starts 120 pixels down).
  RECT ScreenRow(int i) {
    RECT r = thread_->list().RowRect(i);
    OffsetRect(&r, 0, 120);
    return r;
  }
  // The screen pixel `x` from the row's left (from its right when negative), 5 below its top.
  uint32_t RowPixel(int i, int x) {
    const RECT r = ScreenRow(i);
    return platform::gdi::ScreenPixel(x < 0 ? r.right + x : x, r.top + 5);
  }
  int RowOf(const std::u16string& text) {
    for (int i = 0; i < thread_->list().RowCount(); ++i)
      if (std::u16string(thread_->list().RecordAt(i)->text) == text) return i;
    return -1;
  }
  void TapRow(int i) { Tap(thread_->list().hwnd(), POINT{240, thread_->list().RowRect(i).top + 5}); }
  void Hold(const RECT& button) { ViewTest::Hold(View(), button); }
  std::u16string DateOf(int row) { return u"[" + std::u16string(thread_->list().RecordAt(row)->timeText) + u"]"; }

  Launches launches_;
};

// Opening marks unread messages read and lowers the count once. A position the model no longer
// has shows an empty conversation; in a real one a reply goes to the cursor's message, else the first.
TEST_F(ThreadViewTest, OpeningMarksUnreadMessagesReadOnceAndAReplyGoesToTheCursorsMessageElseTheFirst) {
  std::vector<CEOID> unread;
  for (int minute : {1, 2, 3}) unread.push_back(Put(u"\\RECV_MSG", Msg(u"01011112222", u"hi", minute, 0)));
  Put(u"\\RECV_MSG", Msg(u"01099998888", u"other", 0, 0));
  Put(u"\\RECV_MSG", Msg(u"01099998888", u"other too", 0, 0));
  SetUnread(5);
  MessageStore* store = Load();
  parlo::MainView& list = ShowList();
  ASSERT_EQ(list.UnreadCount(), 5);
  g_mainProc = reinterpret_cast<WNDPROC>(
      SetWindowLongW(list.Window(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
  g_unreadNotes = 0;

  ASSERT_EQ(std::u16string(store->ConversationAt(0).front()->number), u"01011112222");
  OpenThread(0);
  for (CEOID oid : unread) EXPECT_EQ(StoredShort(u"\\RECV_MSG", oid, PROP_READ), 1);
  EXPECT_EQ(std::tuple(StateValue(u"Count"), list.UnreadCount()), std::tuple(std::optional<DWORD>(2), 2));
  EXPECT_GT(g_unreadNotes, 0);
  ShowList();
  EXPECT_TRUE(FindText(u"Parlo - 「2/5」").has_value());

  g_unreadNotes = 0;
  OpenThread(0);
  EXPECT_EQ(std::pair(g_unreadNotes, StateValue(u"Count")), std::pair(0, std::optional<DWORD>(2)));  // nothing written

  ThreadView& view = OpenThread(3);
  EXPECT_EQ(std::tuple(view.list().RowCount(), view.list().HeaderText(), view.CursorRecord(), view.ReplyRecord()),
            std::tuple(0, u"", nullptr, nullptr));
  OpenThread(0);
  ASSERT_EQ(view.CursorRecord(), nullptr);
  EXPECT_EQ(view.ReplyRecord(), view.list().RecordAt(0));
  TapRow(1);
  EXPECT_EQ(view.ReplyRecord(), view.list().RecordAt(1));
}

// The cursor row is shaded light, dark, light, with white text.
TEST_F(ThreadViewTest, ReceivedBoxStandsRightOfItsDateSentBoxLeftOfItAndTheCursorRowIsShaded) {
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"hello", 1));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"picture", 0, 1, 1, 1));
  Put(u"\\SEND_MSG", Msg(u"01011112222", u"bye", 2, 1, 2));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"line one\nline two\nline three", 3));
  settings_.use_original_view = false;
  settings_.view_sort = true;  // the newest message comes last and gets the cursor
  ThreadView& view = OpenFirst();
  const int received = RowOf(u"hello"), sent = RowOf(u"bye");
  ASSERT_TRUE(received >= 0 && sent >= 0);

  auto text = FindText(u"hello");
  auto date = FindText(DateOf(received));
  ASSERT_TRUE(text && date);
  EXPECT_EQ(std::tuple(text->color, date->color), std::tuple(RGB(0, 0, 0), 0x009964u));
  // The box's right edge is 10 logical pixels from the row's; its width is the bubble width.
  const int boxLeft = kScreenW - 20 - thread_->list().BubbleWidth();
  EXPECT_GE(text->rect.left, boxLeft);
  EXPECT_LT(text->rect.left, boxLeft + 20);
  EXPECT_LE(date->rect.right, text->rect.left);

  text = FindText(u"bye");
  date = FindText(DateOf(sent));
  ASSERT_TRUE(text && date);
  EXPECT_GE(text->rect.left, 20);
  EXPECT_LT(text->rect.left, 40);
  EXPECT_GE(date->rect.left, text->rect.right);
  EXPECT_EQ(date->color, 0xCC9966u);

  // Box fills, received, sent and multimedia (screen pixels are 0xRRGGBB); beside the box the row is white.
  EXPECT_EQ(std::tuple(RowPixel(received, -24), RowPixel(sent, 24), RowPixel(RowOf(u"picture"), -24)),
            std::tuple(0xF0F0F0u, 0xFFE4E1u, 0xE6E6FAu));
  EXPECT_EQ(RowPixel(received, 5), 0xFFFFFFu);

  const int last = view.list().RowCount() - 1;
  ASSERT_EQ(view.list().CursorRow(), last);
  const RECT row = ScreenRow(last);
  const int x = row.right - 20 - 4;
  const int top = row.top + 2 + 1, middle = (row.top + 2 + row.bottom - 2) / 2;
  const uint32_t light = platform::gdi::ScreenPixel(x, top) & 0xFF;
  const uint32_t dark = platform::gdi::ScreenPixel(x, middle) & 0xFF;
  EXPECT_GE(light, 0xC0u);
  EXPECT_LE(dark, 0x70u);
  EXPECT_GE(dark, 0x58u);
  EXPECT_EQ(ColourOf(u"line", true), RGB(0xFF, 0xFF, 0xFF));
}

// The plain layout names the sender in their colours and measures no bubble; the bubble layout
// measures the bubble width once and gives it to every row.
TEST_F(ThreadViewTest, PlainHeadingsNameTheSenderInTheirColoursAndBubblesShareOneWidth) {
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"got it", 1));
  Put(u"\\SEND_MSG", Msg(u"01011112222", u"sent sms", 2, 1, 2));
  Put(u"\\SEND_MSG", Msg(u"01011112222", u"sent mms", 3, 1, 3));
  settings_.use_original_view = true;
  ThreadView& view = OpenFirst();
  ASSERT_EQ(view.list().RowCount(), 3);
  const struct {
    const char16_t *text, *who, *after;
    COLORREF colour;
  } headings[] = {{u"sent mms", u"나", u") - MMS", 0x3366FF},
                  {u"sent sms", u"나", u") ", 0xFF0000},
                  {u"got it", u"01011112222", u") ", 0x009900}};
  for (const auto& h : headings) {
    SCOPED_TRACE(platform::Utf16ToUtf8(h.text));
    EXPECT_EQ(ColourOf(std::u16string(h.who) + u" (" + view.list().RecordAt(RowOf(h.text))->timeText + h.after),
              h.colour);
  }
  EXPECT_EQ(ColourOf(u"sent mms"), GetSysColor(COLOR_WINDOWTEXT));
  // Sent entries are shaded, received ones white.
  EXPECT_EQ(std::pair(RowPixel(RowOf(u"sent sms"), 5), RowPixel(RowOf(u"got it"), 5)), std::pair(0xF0F0F0u, 0xFFFFFFu));
  auto rowWidth = [&view](int i) { return static_cast<parlo::MessageRow*>(view.list().RowAt(i))->width; };
  EXPECT_EQ(std::pair(view.list().BubbleWidth(), rowWidth(0)), std::pair(-1, 0));
  settings_.use_original_view = false;
  OpenThread(0);
  const int width = view.list().BubbleWidth();
  EXPECT_GT(width, 40);
  EXPECT_LT(width, kScreenW);
  for (int i = 0; i < view.list().RowCount(); ++i) EXPECT_EQ(rowWidth(i), width);
  OpenThread(0);
  EXPECT_EQ(view.list().BubbleWidth(), width);
}

// 삭제 does nothing without a selection and keeps the message when answered no. Deleting one of
// several messages refills the conversation and its header; deleting the only one removes the
// conversation and returns to the list.
TEST_F(ThreadViewTest, DeletingAMessageRefillsTheConversationOrRemovesItWithItsLast) {
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"keep", 3));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"drop", 4));
  Put(u"\\RECV_MSG", Msg(u"01099998888", u"other", 1));
  ThreadView& view = OpenFirst();
  EXPECT_EQ(view.list().HeaderText(), u"01011112222\n(2개)");
  Tap(View(), Center(view.RightButtonRect()));
  EXPECT_TRUE(Boxes().empty());
  TapRow(RowOf(u"drop"));
  Answer(IDNO);
  Tap(View(), Center(view.RightButtonRect()));
  EXPECT_EQ(std::tuple(Boxes().size(), view.list().RowCount(), Records(DB_RECV)), std::tuple(1u, 2, 3));
  platform::ui::ClearMessageBoxLog();
  Answer(IDYES);
  Tap(View(), Center(view.RightButtonRect()));
  ExpectOneBox(u"삭제 하시겠습니까?", u"확인", MB_YESNO);
  EXPECT_EQ(CountOf(UM_SHOWLIST), 0u);
  ASSERT_EQ(view.list().RowCount(), 1);
  EXPECT_EQ(std::u16string(view.list().RecordAt(0)->text), u"keep");
  EXPECT_EQ(std::tuple(messages_->ConversationAt(0).size(), Records(DB_RECV), view.list().HeaderText()),
            std::tuple(1u, 2, u"01011112222\n(1개)"));
  Pump();
  EXPECT_TRUE(FindText(u"01011112222\n(1개)"));  // the header on screen counts again

  TapRow(0);
  Tap(View(), Center(view.RightButtonRect()));
  ASSERT_EQ(messages_->ConversationCount(), 1);
  EXPECT_EQ(std::u16string(messages_->ConversationAt(0).front()->text), u"other");
  EXPECT_EQ(std::tuple(CountOf(UM_SHOWLIST), Records(DB_RECV), main_->list().RowCount()), std::tuple(1u, 1, 1));
}

TEST_F(ThreadViewTest, EveryLineOfATextWiderThanTheBubbleFitsItsRow) {
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"MMMMMMMMMMMM", 1));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"가나다라마바사아", 2));
  settings_.use_original_view = false;
  OpenFirst();
  // The height each text needs in the box it is drawn in, with the view's 11-point font.
  parlo::FontHolder font;
  parlo::CreateViewFont(font, 11);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Get());
  auto needed = [&](const platform::gdi::TextRun& run) {
    RECT r{0, 0, run.rect.right - run.rect.left, 0};
    DrawTextW(dc, run.text.c_str(), -1, &r, DT_CALCRECT | DT_EDITCONTROL | DT_WORDBREAK);
    return static_cast<int>(r.bottom);
  };
  // The store may end a wrapped text with a line break.
  auto wide = FindText(u"MMMM", true);
  auto hangul = FindText(u"가나다", true);
  ASSERT_TRUE(wide && hangul);
  EXPECT_LE(needed(*wide), wide->rect.bottom - wide->rect.top);
  // Eight syllables, the width the store wraps Hangul at, keep their one line.
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  EXPECT_EQ(needed(*hangul), tm.tmHeight);
  EXPECT_LE(needed(*hangul), hangul->rect.bottom - hangul->rect.top);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
}

// Holding 답장 with nothing selected does nothing; on a sent message it is refused; on a received
// one it hands the message over on a worker thread. The release after a hold never replies.
// Holding 삭제 asks to forward, and its release deletes nothing; the talk key calls the selected.
TEST_F(ThreadViewTest, HoldingReplyHandsAReceivedMessageOverAndRefusesASentOneAndHoldingDeleteForwards) {
  Put(u"\\SEND_MSG", Msg(u"01011112222", u"mine", 1, 1, 2));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"text", 2, 1, 0, 0));
  Put(u"\\RECV_MSG", Msg(u"01011112222", u"mms", 3, 1, 1, 1));
  ThreadView& view = OpenFirst();
  Hold(view.LeftButtonRect());
  EXPECT_TRUE(Boxes().empty());
  TapRow(RowOf(u"mine"));
  Hold(view.LeftButtonRect());
  ExpectOneBox(u"보낸문자는 지원되지 않습니다.", u"확인", MB_OK);
  const int sms = RowOf(u"text"), mms = RowOf(u"mms");
  const std::u16string smsId = view.list().RecordAt(sms)->messageId;
  const std::u16string mmsId = view.list().RecordAt(mms)->messageId;
  EXPECT_TRUE(launches_.WaitFor(0).empty());
  TapRow(sms);
  Hold(view.LeftButtonRect());
  ASSERT_EQ(launches_.WaitFor(1).size(), 1u);
  TapRow(mms);
  Hold(view.LeftButtonRect());
  EXPECT_EQ(launches_.WaitFor(2), (std::vector<Launch>{{u"3", smsId}, {u"4", mmsId}}));
  EXPECT_EQ(std::pair(Boxes().size(), calls_), std::pair(1ul, std::vector<Asked>{}));
  Hold(view.RightButtonRect());
  EXPECT_EQ(std::pair(Boxes().size(), calls_), std::pair(1ul, std::vector<Asked>{{UM_SHOWCOMPOSE, 3, 0}}));
  KeyUp(View(), VK_F3);
  const std::string calls = parlo_test::ReadFileBytes(device_->dir() / "network" / "calls.jsonl");
  EXPECT_NE(calls.find("\"number\": \"01011112222\""), std::string::npos) << calls;
}

TEST(MmsComposer, CommandLineQuotesBothArgumentsStopsAt511CharactersAndStartsTheComposer) {
  WCHAR line[parlo::kMmsCommandLineChars];
  parlo::MmsCommandLine(u"3", u"20240305140100000", line);
  EXPECT_EQ(std::u16string(line), u"\"3\" \"20240305140100000\"");
  const std::u16string text(600, u'가');
  parlo::MmsCommandLine(u"5", text.c_str(), line);
  EXPECT_EQ(std::pair(std::u16string(line).size(), std::u16string(line).substr(0, 6)),
            std::pair(511ul, std::u16string(u"\"5\" \"가")));
  // The launch starts the composer with both.
  parlo_test::TempDevice device;
  EXPECT_FALSE(parlo::LaunchMmsComposer(u"3", u"x"));  // no composer on this phone
  std::filesystem::create_directories(device.dir() / "windows");
  const auto composer = device.dir() / "windows" / "MMSC.exe";
  std::ofstream(composer) << "#!/bin/sh\nprintf '%s|%s|%s' \"$#\" \"$1\" \"$2\" > \"$PARLO_DEVICE/args.txt\"\n";
  ASSERT_EQ(::chmod(composer.c_str(), 0755), 0);
  HANDLE process = nullptr;
  ASSERT_TRUE(parlo::LaunchMmsComposer(u"4", u"안녕 hello", &process));
  ASSERT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_EQ(parlo_test::ReadFileBytes(device.dir() / "args.txt"), "2|4|안녕 hello");
}

}  // namespace
}  // namespace viewtest
