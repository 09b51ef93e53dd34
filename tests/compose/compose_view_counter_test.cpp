// The compose counter: bytes as the service counts them, 80-byte pages, the syllable being
// composed, and the hand-over question past the first page.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <tuple>

#include "compose/compose_counter.h"
#include "compose_view_fixture.h"

namespace composetest {
namespace {

TEST(ComposeCounter, BytesAndPages) {
  const std::u16string hangul40(40, u'가');
  struct Case {
    std::u16string text;
    int extra;
    const char16_t* counter;
  } cases[] = {
      {u"", 0, u"0자/0쪽"},
      {u"\r", 0, u"0자/0쪽"},  // a line break's CR is free, so nothing is counted
      {std::u16string(80, u'a'), 0, u"80자/1쪽"},
      {std::u16string(81, u'a'), 0, u"81자/2쪽"},
      {hangul40, 0, u"80자/1쪽"},
      {u"a\r\nb", 0, u"3자/1쪽"},
      {std::u16string(1, char16_t{128}), 0, u"1자/1쪽"},  // the last one-byte unit
      {std::u16string(1, char16_t{129}), 0, u"2자/1쪽"},
      {u"😀", 0, u"4자/1쪽"},  // two units of two bytes each
      {u"", 2, u"2자/1쪽"},         // only a syllable being composed
      {hangul40, 2, u"82자/2쪽"},   // the 41st syllable starts the second page
  };
  for (const Case& c : cases)
    EXPECT_EQ(compose::CounterText(compose::CountComposed(c.text, c.extra)), c.counter)
        << c.text.size() << " units, extra " << c.extra;
}

TEST_F(ComposeViewTest, TheHandOverQuestionComesOnceUntilResetOrBack) {
  Show();
  Type(std::u16string(80, u'a'));
  EXPECT_TRUE(Questions().empty());
  Type(u"b");  // the 81st byte
  ASSERT_EQ(Questions(), std::vector<std::u16string>{u"MMS로 전환하겠습니까?"});
  const auto box = platform::ui::MessageBoxLog()[0];
  EXPECT_EQ(std::tuple(box.caption, box.type & MB_TYPEMASK), std::tuple(u"확인", static_cast<UINT>(MB_OKCANCEL)));
  EXPECT_TRUE(view_->Flags().mmsDeclined);
  Type(u"cd가");
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(view_->Counter(), u"85자/2쪽");

  // A new message asks again.
  view_->ResetCompose(false);
  EXPECT_FALSE(view_->Flags().mmsDeclined);
  Show();
  Type(std::u16string(40, u'가'));
  EXPECT_EQ(Questions().size(), 1u);
  Type(u"가", true);  // composing the 41st syllable is already past the page
  EXPECT_EQ(Questions().size(), 2u);

  // So does coming back after the back button.
  const RECT back = view_->BackButtonRect();
  const LPARAM at = MAKELPARAM((back.left + back.right) / 2, (back.top + back.bottom) / 2);
  SendMessageW(view_->Window(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(view_->Window(), WM_LBUTTONUP, 0, at);
  platform::wm::PumpUntilIdle();
  EXPECT_FALSE(view_->Flags().mmsDeclined);
  EXPECT_EQ(Calls(), std::vector<UINT>{UM_SHOWLIST});
  EXPECT_FALSE(platform::sip::PanelShown());
}

// The test's composer: records its arguments for the test thread.
struct Launches {
  std::mutex mutex;
  std::u16string first, second;
  int count = 0;
} g_launches;

bool RecordLaunch(const WCHAR* first, const WCHAR* second, HANDLE*) {
  std::lock_guard<std::mutex> lock(g_launches.mutex);
  g_launches.first = first;
  g_launches.second = second;
  ++g_launches.count;
  return true;
}

TEST_F(ComposeViewTest, OkHandsTheTextOverAndLeaves) {
  view_->SetMmsLaunchForTests(&RecordLaunch);
  Show();
  Type(std::u16string(80, u'x'));
  Answer(IDOK);
  // The worker reads the text field through this thread, so it is served while waiting.
  Type(u"y");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Calls().empty() && std::chrono::steady_clock::now() < deadline) platform::wm::ProcessSentMessages();
  platform::wm::PumpUntilIdle();
  EXPECT_EQ(Calls(), std::vector<UINT>{UM_SHOWLIST});
  std::lock_guard<std::mutex> lock(g_launches.mutex);
  EXPECT_EQ(std::tuple(g_launches.count, g_launches.first, g_launches.second),
            std::tuple(1, u"5", std::u16string(80, u'x') + u"y"));
  EXPECT_FALSE(view_->Flags().mmsDeclined);
}

}  // namespace
}  // namespace composetest
