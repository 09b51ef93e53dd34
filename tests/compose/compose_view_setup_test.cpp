// The compose view's controls, its layout above the input panel, and the set-ups: forwarding
// with line breaks, answering, and what editing the recipient by hand undoes.
#include <gtest/gtest.h>

#include <string>

#include "compose/compose_layout.h"
#include "compose/forward_text.h"
#include "compose_view_fixture.h"
#include "imm.h"
#include "sipapi.h"

namespace composetest {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

TEST(ComposeLayout, FieldsStandOnTheBottomEdgeAtEveryDpi) {
  struct Case {
    int dpi;
    RECT area;
    RECT rects[5];  // text, sender, recipient, sender button, recipient button
  } cases[] = {
      // At 96 dpi the lengths stand as they are; the top bar's 70 never scales.
      {96, {0, 0, 240, 300}, {{2, 72, 238, 250}, {62, 252, 238, 274}, {62, 276, 238, 298}, {2, 252, 60, 274},
       {2, 276, 60, 298}}},
      // 131 dpi rounds each length on its own: 2 -> 3, 48 -> 66, 24 -> 33, 60 -> 82, 58 -> 79.
      {131, {0, 10, 320, 400}, {{3, 83, 317, 331}, {85, 334, 317, 364}, {85, 367, 317, 397}, {3, 334, 82, 364},
       {3, 367, 82, 397}}},
  };
  for (const Case& c : cases) {
    const compose::ComposeLayout l = compose::LayOutCompose(c.area, c.dpi, c.dpi);
    const RECT got[] = {l.text, l.sender, l.recipient, l.senderButton, l.recipientButton};
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(SameRect(got[i], c.rects[i])) << c.dpi << " dpi, rectangle " << i;
  }
}

TEST_F(ComposeViewTest, ShownAboveTheInputPanelWithTheFocusInTheText) {
  Show();
  ASSERT_TRUE(platform::sip::PanelShown());
  const int top = platform::sip::PanelRect().top;
  EXPECT_TRUE(SameRect(WindowRect(view_->Control(IDC_TEXT)), RECT{4, 74, 476, top - 100}));
  EXPECT_TRUE(SameRect(WindowRect(view_->Control(IDC_RECIPIENT)), RECT{124, top - 48, 476, top - 4}));
  EXPECT_TRUE(SameRect(WindowRect(view_->Control(IDC_SENDER_BUTTON)), RECT{4, top - 96, 120, top - 52}));
  EXPECT_EQ(GetFocus(), view_->Control(IDC_TEXT));
  // Painted where they now stand.
  for (const char16_t* label : {u"보낼사람", u"받는사람", u"나"}) {
    bool drawn = false;
    for (const auto& run : platform::gdi::ScreenTextRuns()) drawn |= run.text == label;
    EXPECT_TRUE(drawn) << static_cast<const void*>(label);
  }

  // Hangul in the text, Latin letters in the numbers.
  auto hangul = [](HWND w) {
    HIMC himc = ImmGetContext(w);
    DWORD conversion = 0, sentence = 0;
    ImmGetConversionStatus(himc, &conversion, &sentence);
    ImmReleaseContext(w, himc);
    return (conversion & IME_CMODE_NATIVE) != 0;
  };
  EXPECT_TRUE(hangul(view_->Control(IDC_TEXT)));
  Focus(IDC_RECIPIENT);
  EXPECT_FALSE(hangul(view_->Control(IDC_RECIPIENT)));
  Type(u"rk");  // the two-set keys of 가 give letters here
  EXPECT_EQ(Field(IDC_RECIPIENT), u"rk");
}

TEST(ForwardText, LineFeedsBecomeLineBreaks) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"a\nb\n", u"a\r\nb"},  // the last line feed goes
      {u"a\n\nb", u"a\r\n\r\nb"},
      {u"a\r\nb", u"a\r\nb"},  // already a line break
      {u"\n", u""},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(compose::ForwardedText(c.in), c.out);
}

TEST_F(ComposeViewTest, ForwardShowsTheLinesSelectedWithoutARecipient) {
  view_->ResetCompose(false);
  Focus(IDC_RECIPIENT);
  Type(u"0101234");
  view_->ComposeForward(Record(u"0105550000", u"첫줄\n둘째줄\n"));
  Show();
  EXPECT_EQ(Field(IDC_TEXT), u"첫줄\r\n둘째줄");
  EXPECT_EQ(Field(IDC_RECIPIENT), u"");
  DWORD start = 9, end = 0;
  SendMessageW(view_->Control(IDC_TEXT), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 7u);
  EXPECT_EQ(view_->Counter(), u"11자/1쪽");
  EXPECT_TRUE(view_->Flags().forward);
}

TEST_F(ComposeViewTest, EditingARepliesRecipientMakesItATypedNumberAndTheButtons) {
  Show();
  Type(u"지난 글");
  // The sender's number stays with the view even if the model lets the record go.
  {
    MessageRecord record = Record(u"01099998888", u"안녕");
    view_->ComposeReply(record);
  }
  Show();
  EXPECT_EQ(Field(IDC_TEXT), u"");
  EXPECT_EQ(view_->Counter(), u"0자/0쪽");
  // Setting the recipient was the set-up's, not an edit.
  EXPECT_TRUE(view_->Flags().replySource);
  ASSERT_NE(view_->Source(), nullptr);
  EXPECT_EQ(std::u16string(view_->Source()->number), u"01099998888");
  EXPECT_FALSE(IsWindowEnabled(view_->Control(IDC_SENDER)));

  Focus(IDC_RECIPIENT);
  Type(u"0");
  EXPECT_FALSE(view_->Flags().replySource);
  EXPECT_FALSE(view_->Flags().picked);

  // The buttons switch the sender on and go to the contacts.
  view_->ResetCompose(false);
  Show();
  SendMessageW(view_->Control(IDC_SENDER_BUTTON), BM_CLICK, 0, 0);
  platform::wm::PumpUntilIdle();
  EXPECT_TRUE(view_->Flags().senderEnabled);
  EXPECT_TRUE(IsWindowEnabled(view_->Control(IDC_SENDER)));
  SendMessageW(view_->Control(IDC_RECIPIENT_BUTTON), BM_CLICK, 0, 0);
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Calls(), std::vector<UINT>{UM_SHOWCONTACTS});
  EXPECT_FALSE(platform::sip::PanelShown());
  // A new set-up switches the sender off again.
  view_->ResetCompose(false);
  EXPECT_FALSE(view_->Flags().senderEnabled);
  EXPECT_FALSE(IsWindowEnabled(view_->Control(IDC_SENDER)));
}

}  // namespace
}  // namespace composetest
