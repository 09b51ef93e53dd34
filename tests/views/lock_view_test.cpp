// The lock screen: the password as a pattern, the keys' layout, drawing a pattern with the
// finger, the wipe of a wrong one and the clock's minute.
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "view_fixture.h"
#include "platform/device/shell/system_clock_value.h"
#include "platform/gdi/screen.h"
#include "views/lock_view.h"

namespace viewtest {
namespace {

using parlo::LockKeyAt;
using parlo::LockLayout;
using parlo::LockPattern;
using parlo::LockView;

const LockPattern kFallback = parlo::FallbackPattern();

// ---- The pattern and the layout, without a window ----

TEST(LockPatternTest, PasswordsBecomeKeysAndUndrawableOnesTheFallback) {
  const struct {
    const char16_t* password;
    LockPattern pattern;
  } cases[] = {
      {u"5836", {5, 8, 3, 6}}, {u"0", {0}},         {u"012345678", {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {u"58a6", kFallback},    {u"", kFallback},    {u"5839", kFallback},  // there is no key 9
      {u"5585", kFallback},    {u" 58", kFallback}, {u"０", kFallback},    // only ASCII digits
  };
  for (const auto& c : cases) EXPECT_EQ(parlo::PatternFromPassword(c.password), c.pattern) << "password index " << &c - cases;
  // The fallback itself can be drawn: distinct keys.
  EXPECT_EQ(parlo::PatternFromPassword(u"0367"), kFallback);
}

TEST(LockLayoutTest, KeysAndStripAtTwoDensitiesAndOnlyTheInsideOfAKeySelectsIt) {
  using Box = std::array<LONG, 4>;
  auto box = [](const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; };
  const LockLayout hi = parlo::ComputeLockLayout(480, 800, 192, 192);
  // Clock strip height, key size, pad top and bottom.
  EXPECT_EQ(std::tuple(hi.clockHeight, hi.keyWidth, hi.keyHeight, hi.pad.top, hi.pad.bottom),
            std::tuple(200, 153, 193, 200, 800));
  EXPECT_EQ(box(hi.keys[0]), (Box{50, 260, 123, 333}));
  EXPECT_EQ(std::tuple(hi.keys[8].left, hi.keys[8].top, hi.centres[8].x, hi.centres[8].y), std::tuple(356, 646, 392, 682));
  // At 96 dpi the grid's left margin stays 10 pixels.
  EXPECT_EQ(box(parlo::ComputeLockLayout(480, 800, 96, 96).keys[0]), (Box{30, 130, 146, 300}));
  // Only the inside of a key selects it.
  for (int k = 0; k < parlo::kLockKeys; ++k) EXPECT_EQ(LockKeyAt(hi, hi.centres[k]), k);
  const struct {
    POINT p;
    int key;
  } cases[] = {
      // The strip and the gaps between keys are touched in the view's cases.
      {{86, 259}, -1},   {{86, 260}, 0},   {{122, 296}, 0},  {{123, 296}, -1},  // right edge excluded
      {{-5, 296}, -1},   {{392, 900}, -1}, {{479, 799}, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(LockKeyAt(hi, c.p), c.key) << c.p.x << "," << c.p.y;
}

// ---- The view in a frame. The device has no resource library: the screen must work without. ----

constexpr uint32_t kLine = 0x7B7BC0;

class LockViewTest : public ViewTest {
 protected:
  void TearDown() override {
    lock_.reset();
    ViewTest::TearDown();
  }

  LockView& Show(const char16_t* password) {
    lock_.reset();
    StringCchCopyW(settings_.password, 260, password);
    lock_ = std::make_unique<LockView>(Context());
    lock_->LoadPassword();
    EXPECT_NE(lock_->CreateViewWindow(frame_, RECT{0, 0, kScreenW, kScreenH}), nullptr);
    Pump();
    calls_.clear();
    return *lock_;
  }
  HWND View() const { return lock_->Window(); }
  // Key k's centre; -1 is a point in the clock strip, -2 and -3 points between keys.
  POINT Key(int k) const {
    constexpr POINT kOff[] = {{240, 100}, {163, 296}, {86, 400}};
    return k >= 0 ? lock_->Layout().centres[k] : kOff[-k - 1];
  }
  // Whether the line from key a to key b shows halfway between them.
  bool Line(int a, int b) const {
    const POINT p{(Key(a).x + Key(b).x) / 2, (Key(a).y + Key(b).y) / 2};
    return platform::gdi::ScreenPixel(p.x, p.y) == kLine;
  }

  // One finger from key to key, still down at the last.
  void Draw(const std::vector<int>& keys) {
    Down(View(), Key(keys.front()));
    Pump();
    for (size_t i = 1; i < keys.size(); ++i) {
      MoveTo(View(), Key(keys[i]));
      Pump();
    }
  }
  size_t Unlocks() const { return CountOf(UM_SHOWPREVIOUS); }

  std::unique_ptr<LockView> lock_;
};

// Dragging back over a dot adds nothing; touches in the strip or between dots select nothing, and
// a gesture may start there and pick up keys on the way. A pattern finished after another view
// took the screen (a second launch switched views under the finger) opens nothing.
TEST_F(LockViewTest, AThreeDigitPasswordOpensOnlyWhenItsKeysAreTouchedInOrderAndNothingElse) {
  Show(u"152");
  const struct {
    std::vector<int> path, entered;
    size_t unlocks;
    bool hiddenBeforeLift = false;
  } cases[] = {
      {{1, 5}, {1, 5}, 0},
      {{2, 5, 1}, {2, 5, 1}, 0},
      {{5, 1, 2}, {5, 1, 2}, 0},
      {{1, 5, 2, 8}, {1, 5, 2, 8}, 0},
      {{1, 5, 2}, {1, 5, 2}, 1},
      {{1, 5, 1, 5, 2}, {1, 5, 2}, 1},
      {{-1, -2, -3}, {}, 0},
      {{-1, 1, 5, 2}, {1, 5, 2}, 1},
      {{1, 5, 2}, {1, 5, 2}, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.path));
    calls_.clear();
    Draw(c.path);
    EXPECT_EQ(lock_->Gesture().Entered(), c.entered);
    if (c.hiddenBeforeLift) ShowWindow(View(), SW_HIDE);
    Up(View(), Key(c.path.back()));
    Pump();
    EXPECT_EQ(std::pair(Unlocks(), lock_->Gesture().Entered().size()), std::pair(c.unlocks, 0ul));
  }
}

// Moves faster than paints still draw every segment; a wrong pattern stays until it is wiped
// 100 ms after the lift, without holding up the program.
TEST_F(LockViewTest, AWrongPatternIsDrawnWholeAndWiped100msLaterWithoutHoldingTheProgram) {
  Show(u"5836");
  Down(View(), Key(0));
  Pump();
  for (int k : {1, 2, 5}) MoveTo(View(), Key(k));  // one paint for three new keys
  Pump();
  auto lines = [this] { return std::tuple(Line(0, 1), Line(1, 2), Line(2, 5)); };
  EXPECT_EQ(lines(), std::tuple(true, true, true));
  Up(View(), Key(5));
  Pump();
  const DWORD lifted = GetTickCount();
  EXPECT_EQ(lines(), std::tuple(true, true, true));
  // No pause on the UI thread: the clock has not moved while the wrong line shows.
  EXPECT_EQ(GetTickCount(), lifted);
  Advance(LockView::kWipeMs - 1);
  EXPECT_TRUE(Line(0, 1));
  Advance(1);
  EXPECT_EQ(std::pair(lines(), Unlocks()), std::pair(std::tuple(false, false, false), 0ul));
}

TEST_F(LockViewTest, AtAMinuteOnlyTheStripReachesTheScreenAndEarlierSegmentsDoNotComeBack) {
  platform::device::StartSystemClockValue();
  Show(u"5836");
  ASSERT_TRUE(FindText(u"14:07").has_value());
  Draw({0, 1, 2});
  Advance(51 * 1000);  // 14:08:00
  Pump();  // the new minute is written on one idle pass and seen by its watchers on the next
  const auto clock = FindText(u"14:08");
  ASSERT_TRUE(clock.has_value());
  EXPECT_LE(clock->rect.bottom, lock_->Layout().clock.bottom);
  EXPECT_FALSE(FindText(u"14:07").has_value());
  // The pad on screen is as it was.
  EXPECT_EQ(std::tuple(Line(0, 1), Line(1, 2)), std::tuple(true, true));

  MoveTo(View(), Key(5));
  Pump();
  EXPECT_EQ(std::tuple(Line(0, 1), Line(1, 2), Line(2, 5)), std::tuple(false, true, true));
}

}  // namespace
}  // namespace viewtest
