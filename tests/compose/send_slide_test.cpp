// The slide bar in a parent that records its commands, on the virtual clock. The skin is plain
// colours, so the knob is found on the screen where the user would see it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>
#include <vector>

#include "compose/send_slide.h"
#include "draw/skin.h"
#include "kit/temp_device.h"
#include "platform/base/device_root.h"
#include "platform/gdi/screen.h"
#include "platform/resfile/container.h"
#include "platform/wm/loop.h"
#include "program_ids.h"

namespace {

constexpr int kScreenW = 720;
constexpr int kBarTop = 45;  // the bar lies over the parent's bottom 55 pixels
constexpr int kRow = kBarTop + 30;
constexpr uint32_t kTrack = 0x203040;
constexpr uint32_t kTrackEnd = 0xC02020;  // the track's last 20 columns
constexpr uint32_t kKnob = 0x30C030;      // its top 5 rows are black: the track shows through

struct Command {
  WPARAM wParam;
  LPARAM lParam;
  bool lockedThen;  // the bar was already locked when the command arrived
};

class SendSlideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::gdi::CreateScreen(kScreenW, 200, 192, 192);
    WriteSkin();
    skin_ = std::make_unique<parlo::Skin>();
    current_ = this;
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ParentProc;
      wc.lpszClassName = u"SlideTestParent";
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    Make(480);
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
    platform::wm::PumpUntilIdle();
    current_ = nullptr;
    skin_.reset();
  }

  static void WriteSkin() {
    platform::resfile::Pixels track{480, 55, std::vector<uint32_t>(480 * 55, kTrack)};
    for (int y = 0; y < 55; ++y)
      for (int x = 460; x < 480; ++x) track.xrgb[y * 480 + x] = kTrackEnd;
    platform::resfile::Pixels knob{140, 55, std::vector<uint32_t>(140 * 55, kKnob)};
    std::fill(knob.xrgb.begin(), knob.xrgb.begin() + 5 * 140, 0);
    platform::resfile::ContainerWriter w;
    w.AddBitmap(parlo::kSkinTrack, track);
    w.AddBitmap(parlo::kSkinKnob, knob);
    const std::vector<uint8_t> bytes = w.Build();
    const auto dir = platform::device::ProgramDir();
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Parlores.dll", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // A bar `width` pixels wide, its parent a little taller, in place of the one before.
  void Make(int width) {
    if (parent_) DestroyWindow(parent_);
    parent_ = CreateWindowExW(0, u"SlideTestParent", u"", WS_VISIBLE, 0, 0, width, kBarTop + 55, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    slide_ = compose::CreateSendSlide(parent_, RECT{0, kBarTop, width, kBarTop + 55}, *skin_);
    ASSERT_NE(slide_, nullptr);
    platform::wm::PumpUntilIdle();
  }

  // Finger on the bar, in its client coordinates; each step is painted before the next.
  void Send(UINT message, int x) {
    SendMessageW(slide_, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, 30));
    platform::wm::PumpUntilIdle();
  }
  void Drag(const std::vector<int>& xs, bool lift = true) {
    Send(WM_LBUTTONDOWN, xs.front());
    for (size_t i = 1; i < xs.size(); ++i) Send(WM_MOUSEMOVE, xs[i]);
    if (lift) Send(WM_LBUTTONUP, xs.back());
  }
  void Advance(uint32_t ms) { platform::wm::AdvanceClock(ms); }

  // The knob's left edge as the screen shows it, -1 when it is nowhere.
  static int KnobLeft() {
    for (int x = 0; x < kScreenW; ++x)
      if (platform::gdi::ScreenPixel(x, kRow) == kKnob) return x;
    return -1;
  }
  // The glide timer was stopped: there is none left to kill.
  bool TimerRunning() const { return KillTimer(slide_, 1) != FALSE; }

  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && current_) {
      current_->log_.push_back(Command{wParam, lParam, compose::SendSlideLocked(current_->slide_)});
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  parlo_test::TempDevice device_;
  std::unique_ptr<parlo::Skin> skin_;
  HWND parent_ = nullptr;
  HWND slide_ = nullptr;
  std::vector<Command> log_;
  static inline SendSlideTest* current_ = nullptr;
};

TEST_F(SendSlideTest, APartialSlideGlidesHomeIn30PixelStepsEvery40ms) {
  const struct {
    std::vector<int> drag;
    std::vector<int> steps;  // the knob's left edge after each 40 ms
  } cases[] = {
      {{240, 340}, {240, 210, 180, 170}},       // right of home: back to the left, the last step short
      {{240, 150}, {110, 140, 170}},            // finger in the left half: back to the right
      {{240, 300, 400, 330}, {230, 200, 170}},  // back and forth: only where it ends counts
  };
  for (const auto& c : cases) {
    Drag(c.drag);
    const int lifted = KnobLeft();
    EXPECT_EQ(lifted, 170 + c.drag.back() - c.drag.front());
    int before = lifted;
    for (int step : c.steps) {
      Advance(39);
      EXPECT_EQ(KnobLeft(), before);
      Advance(1);
      EXPECT_EQ(KnobLeft(), step);
      before = step;
    }
    EXPECT_FALSE(TimerRunning()) << "after " << c.drag.back();
    EXPECT_TRUE(log_.empty());
  }
}

// A send locks the bar until the sender unlocks it: the finger is ignored meanwhile.
TEST_F(SendSlideTest, TheEndsSendOrCloseOnceAndOnlySendingLocksTheBar) {
  const struct {
    std::vector<int> drag;
    int clampedAt;  // the knob's left edge before the finger lifts
    int command;    // 0: none
    bool cancelled = false;  // a box came up over the finger before it lifted
  } cases[] = {
      {{240, 300, 479}, 340, ID_SEND},
      {{240, 410}, 340, ID_SEND},          // exactly at the end
      {{240, 409}, 339, 0},                // one pixel short
      {{240, 100, 0}, 0, ID_COMPOSE_CLOSE},
      {{240, 70}, 0, ID_COMPOSE_CLOSE},
      {{240, 71}, 1, 0},
      {{240, 420, 416}, 340, ID_SEND},     // under 5 pixels back: a trembling finger keeps the end
      {{240, 420, 416, 412, 408}, 340, ID_SEND},
      {{240, 420, 415}, 335, 0},
      {{240, 420, 416, 410}, 334, 0},
      {{240, 479, 300}, 161, 0},           // to the end and back out: the end no longer counts
      {{100, 479}, 170, 0},                // a touch outside the knob's home drags nothing
      {{240, 479}, 340, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.drag.back());
    log_.clear();
    compose::SetSendSlideLocked(slide_, false);
    Drag(c.drag, false);
    EXPECT_EQ(KnobLeft(), c.clampedAt);
    if (c.cancelled) SendMessageW(slide_, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture() == slide_, !c.cancelled);
    Send(WM_LBUTTONUP, c.drag.back());
    if (c.command == 0) {
      EXPECT_TRUE(log_.empty());
      Advance(400);
    } else {
      ASSERT_EQ(log_.size(), 1u);
      EXPECT_EQ(std::tuple(log_[0].wParam, log_[0].lParam, log_[0].lockedThen),
                std::tuple(static_cast<WPARAM>(c.command), LPARAM{0}, c.command == ID_SEND));
    }
    EXPECT_EQ(compose::SendSlideLocked(slide_), c.command == ID_SEND);
    EXPECT_EQ(KnobLeft(), 170);
    if (c.command != ID_SEND) continue;
    Drag({240, 479}, false);
    EXPECT_EQ(KnobLeft(), 170);
    Send(WM_LBUTTONUP, 479);
    Drag({240, 0});
    Advance(400);
    EXPECT_EQ(log_.size(), 1u);
    EXPECT_NE(GetCapture(), slide_);
  }
}

TEST_F(SendSlideTest, TheKnobStopsAtTheBarsOwnEdgesOnAnyScreenWidth) {
  for (int width : {360, 480, 720}) {
    Make(width);
    log_.clear();
    EXPECT_EQ(KnobLeft(), width / 2 - 70) << width;
    // The track's ends are at the bar's ends.
    EXPECT_EQ(platform::gdi::ScreenPixel(width - 1, kRow), kTrackEnd) << width;
    EXPECT_EQ(platform::gdi::ScreenPixel(width - 40, kRow), kTrack) << width;
    Drag({width / 2, width - 1}, false);
    EXPECT_EQ(KnobLeft(), width - 140) << width;
    EXPECT_EQ(platform::gdi::ScreenPixel(width - 1, kRow), kKnob) << width;
    EXPECT_EQ(platform::gdi::ScreenPixel(width - 70, kBarTop + 2), kTrack) << width;  // black is left out
    Send(WM_LBUTTONUP, width - 1);
    EXPECT_EQ(log_.size(), 1u) << width;
  }
}

TEST_F(SendSlideTest, AGlideStopsWhenTheFingerComesBackAndResumesWhenItLifts) {
  Drag({240, 400});  // knob at 330
  Advance(40);
  ASSERT_EQ(KnobLeft(), 300);
  // Down and moving away from the knob's home: the glide holds where it is.
  Send(WM_LBUTTONDOWN, 20);
  Send(WM_MOUSEMOVE, 30);
  Advance(200);
  EXPECT_EQ(KnobLeft(), 300);
  Send(WM_LBUTTONUP, 30);
  Advance(40 * 5);
  EXPECT_EQ(KnobLeft(), 170);
  EXPECT_FALSE(TimerRunning());

  // A tap on the home takes the knob home at once and nothing keeps ticking.
  Drag({240, 400});
  Advance(40);
  Send(WM_LBUTTONDOWN, 240);
  Send(WM_LBUTTONUP, 240);
  EXPECT_EQ(KnobLeft(), 170);
  EXPECT_FALSE(TimerRunning());
  EXPECT_TRUE(log_.empty());
}

}  // namespace
