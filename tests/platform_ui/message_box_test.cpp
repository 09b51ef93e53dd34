#include <optional>

#include "platform/wm/input.h"
#include "ui_fixture.h"

using platform::ui::AnswerMessageBox;
using platform::ui::CurrentMessageBox;
using platform::ui::MessageBoxInfo;
using platform::ui::MessageBoxLog;
using uitest::UiTest;

namespace {

// Taps the button labelled `label` of the innermost box once one is up.
uitest::Step TapButton(const std::u16string& label) {
  return [label] {
    auto box = CurrentMessageBox();
    if (!box) return false;
    for (size_t i = 0; i < box->buttons.size(); ++i)
      if (box->buttons[i] == label) {
        UiTest::TapCentre(box->buttonRects[i]);
        return true;
      }
    ADD_FAILURE() << "no such button";
    return AnswerMessageBox(box->buttonIds.front());
  };
}

uitest::Step Answer(int id) {
  return [id] { return CurrentMessageBox() && AnswerMessageBox(id); };
}

uitest::Step Key(UINT vk) {
  return [vk] {
    if (!CurrentMessageBox()) return false;
    UiTest::Stroke(vk);
    return true;
  };
}

}  // namespace

class MessageBoxTest : public UiTest {};

// A tap on a button gives its answer; Enter takes the default button; Escape cancels, says no,
// or says OK when that is all there is.
TEST_F(MessageBoxTest, ATapOnAButtonOrAKeyGivesTheAnswer) {
  const struct {
    UINT style;
    const char16_t* label;  // else the key
    UINT key;
    int answer;
  } cases[] = {{MB_OK | MB_ICONINFORMATION, u"확인", 0, IDOK}, {MB_OKCANCEL, u"취소", 0, IDCANCEL},
               {MB_YESNO, u"예", 0, IDYES},          {MB_YESNO, u"아니요", 0, IDNO},
               {MB_YESNO, nullptr, VK_RETURN, IDYES}, {MB_YESNO | MB_DEFBUTTON2, nullptr, VK_RETURN, IDNO},
               {MB_OKCANCEL, nullptr, VK_ESCAPE, IDCANCEL}, {MB_YESNO, nullptr, VK_ESCAPE, IDNO},
               {MB_OK, nullptr, VK_ESCAPE, IDOK}};
  for (const auto& c : cases) {
    Then(c.label ? TapButton(c.label) : Key(c.key));
    EXPECT_EQ(MessageBoxW(owner_, u"저장했습니다", u"정보", c.style), c.answer) << c.style << " " << c.key;
  }
  auto log = MessageBoxLog();
  ASSERT_EQ(log.size(), 9u);
  EXPECT_EQ(std::tuple(log[0].caption, log[0].text, log[0].buttons),
            std::tuple(u"정보", u"저장했습니다", std::vector<std::u16string>{u"확인"}));
}

// A box with no owner disables nothing, yet the window behind must not act before the question
// is answered: it loses the finger it held, and neither taps nor keys reach it. A finger that
// slides off its button, or a tap beside the box, answers nothing.
TEST_F(MessageBoxTest, NoInputReachesTheWindowsBehindAnOwnerlessBoxAndMissedTapsAnswerNothing) {
  SetCapture(owner_);
  HWND captureDuringBox = owner_;
  bool stillUp = false;
  Then([&] {
    auto box = CurrentMessageBox();
    if (!box) return false;
    captureDuringBox = GetCapture();
    SetFocus(owner_);  // the program moves the focus while the box waits
    RECT ok = box->buttonRects[0];
    platform::wm::InjectMouse(WM_LBUTTONDOWN, (ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    platform::wm::InjectMouse(WM_MOUSEMOVE, ok.left + 2, ok.top - 200);
    platform::wm::InjectMouse(WM_LBUTTONUP, ok.left + 2, ok.top - 200);
    Tap(240, 5);
    Stroke(VK_UP);
    return true;
  });
  Then([&] {
    stillUp = CurrentMessageBox().has_value();
    return true;
  });
  Then(Answer(IDCANCEL));
  EXPECT_EQ(MessageBoxW(nullptr, u"t", u"ERROR", MB_OKCANCEL), IDCANCEL);
  EXPECT_TRUE(stillUp && captureDuringBox != owner_);
  EXPECT_EQ(std::pair(Got(WM_LBUTTONDOWN).size(), Got(WM_KEYDOWN).size()), std::pair(0ul, 0ul));
}

// The box up shows its caption, its long text wrapped inside it and its buttons, describes the
// buttons in order with their places on the screen, takes only their answers, and leaves no text.
TEST_F(MessageBoxTest, BoxUpShowsAndDescribesItsButtonsAndTakesOnlyTheirAnswers) {
  std::u16string text = u"전송 실패 ";
  for (int i = 0; i < 12; ++i) text += u"word wrapped message ";
  std::optional<MessageBoxInfo> seen;
  bool buttons = false, othersRefused = false;
  std::optional<platform::gdi::TextRun> body, caption;
  Then([&] {
    if (!(seen = CurrentMessageBox())) return false;
    buttons = uitest::OnScreen(u"예") && uitest::OnScreen(u"아니요");
    body = uitest::RunWith(text);
    caption = uitest::RunWith(u"에러");
    othersRefused = !AnswerMessageBox(IDCANCEL) && !AnswerMessageBox(IDOK);
    return AnswerMessageBox(IDNO);
  });
  EXPECT_EQ(MessageBoxW(owner_, text.c_str(), u"에러", MB_YESNO | MB_ICONERROR), IDNO);
  EXPECT_TRUE(buttons && othersRefused);
  EXPECT_FALSE(AnswerMessageBox(IDOK)) << "no box is up any more";
  EXPECT_FALSE(CurrentMessageBox().has_value());
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->buttonIds, (std::vector<int>{IDYES, IDNO}));
  ASSERT_EQ(seen->buttonRects.size(), 2u);
  EXPECT_LT(seen->buttonRects[0].right, seen->buttonRects[1].left + 1);
  EXPECT_EQ(seen->buttonRects[0].top, seen->buttonRects[1].top);
  for (const RECT& r : seen->buttonRects) {
    EXPECT_TRUE(r.left >= 0 && r.right <= 480);
    EXPECT_GE(r.bottom - r.top, 40) << "rows are sized for 192 dpi";
  }
  ASSERT_TRUE(body && caption);
  EXPECT_TRUE(body->rect.left >= 0 && body->rect.right <= 480);
  int lineHeight = caption->rect.bottom - caption->rect.top;
  EXPECT_GE(body->rect.bottom - body->rect.top, 3 * lineHeight) << "several lines, all inside the box";
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(uitest::OnScreen(u"전송 실패")) << "the box leaves no text behind";
}

// The owner is disabled while a box is up, also between a nested box and the outer one, and
// enabled afterwards only if it was before.
TEST_F(MessageBoxTest, OwnerIsDisabledWhileABoxOrANestedOneIsUp) {
  const UINT kShowInner = WM_USER + 5;
  int innerResult = 0;
  BOOL enabledDuring = TRUE, enabledBetween = TRUE;
  OnOwner([&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != kShowInner) return false;
    innerResult = MessageBoxW(h, u"inner", u"B", MB_YESNO);
    *r = 0;
    return true;
  });
  Then([&] {
    if (!CurrentMessageBox()) return false;
    enabledDuring = IsWindowEnabled(owner_);
    PostMessageW(owner_, kShowInner, 0, 0);
    return true;
  });
  Then([] {
    auto box = CurrentMessageBox();
    return box && box->caption == u"B" && AnswerMessageBox(IDYES);
  });
  Then([&] {
    auto box = CurrentMessageBox();
    if (!box || box->caption != u"A" || innerResult == 0) return false;
    enabledBetween = IsWindowEnabled(owner_);
    return AnswerMessageBox(IDCANCEL);
  });
  EXPECT_EQ(MessageBoxW(owner_, u"outer", u"A", MB_OKCANCEL), IDCANCEL);
  // The inner box must not enable the owner under the outer one.
  EXPECT_EQ(std::tuple(innerResult, enabledDuring, enabledBetween, IsWindowEnabled(owner_)),
            std::tuple(IDYES, FALSE, FALSE, TRUE));
  EXPECT_EQ(GetFocus(), owner_) << "focus returns to where it was";
  EXPECT_EQ(MessageBoxLog().size(), 2u);
  EnableWindow(owner_, FALSE);
  Then(Answer(IDOK));
  MessageBoxW(owner_, u"t", u"c", MB_OK);
  EXPECT_FALSE(IsWindowEnabled(owner_));
}

// An automatic answer returns at once and is logged; one that is not among the box's buttons
// leaves the box to be answered normally. A quit during the box ends it and reaches the outer
// loop; a bad owner fails at once.
TEST_F(MessageBoxTest, AutoAnswerReturnsAtOnceQuitDuringTheBoxEndsItAndABadOwnerShowsNothing) {
  platform::ui::SetMessageBoxAutoAnswer([](const MessageBoxInfo& info) { return info.caption == u"확인" ? IDYES : 0; });
  EXPECT_EQ(MessageBoxW(owner_, u"지울까요?", u"확인", MB_YESNO), IDYES);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  Then(Answer(IDOK));
  EXPECT_EQ(MessageBoxW(owner_, u"t", u"정보", MB_OK), IDOK);
  ASSERT_EQ(MessageBoxLog().size(), 2u);
  EXPECT_EQ(MessageBoxLog()[0].text, u"지울까요?");
  platform::ui::ClearMessageBoxLog();
  EXPECT_TRUE(MessageBoxLog().empty());
  Then([] {
    if (!CurrentMessageBox()) return false;
    PostQuitMessage(3);
    return true;
  });
  EXPECT_EQ(MessageBoxW(owner_, u"t", u"c", MB_OKCANCEL), IDCANCEL);
  MSG msg{};
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  DestroyWindow(owner_);
  platform::ui::ClearMessageBoxLog();
  EXPECT_EQ(MessageBoxW(owner_, u"t", u"c", MB_OK), 0);
  EXPECT_TRUE(MessageBoxLog().empty());
}
