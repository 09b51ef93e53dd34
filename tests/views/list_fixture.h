// A KineticList in a parent window on a 480 x 800, 192 dpi screen, driven by real window
// messages on the virtual clock; the parent records every notification.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "draw/dpi.h"
#include "kit/temp_device.h"
#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "views/kinetic_list.h"

namespace listtest {

inline constexpr int kListId = 2210;
inline constexpr RECT kListRect{0, 100, 480, 730};  // 480 x 630
inline constexpr int kRow = 120;                    // ScaleToDpi(60) at 192 dpi

struct Note {
  int code;
  int index;
  int state;
  bool operator==(const Note&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Note& n);

class TestRow : public parlo::ListItem {
 public:
  explicit TestRow(int h, int part = kHitBody, bool* destroyed = nullptr)
      : part_(part), destroyed_(destroyed) {
    height = h;
  }
  int HitTest(int, const RECT&, POINT) override { return part_; }

 protected:
  ~TestRow() override {
    if (destroyed_) *destroyed_ = true;
  }

 private:
  int part_;
  bool* destroyed_;
};

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Fill(int rows, int height = kRow);
  HWND list() const { return list_.hwnd(); }
  int Offset() const { return list_.scroller().offset.y; }
  bool Animating() const { return list_.scroller().timerRunning; }

  // Finger events in the list's client coordinates.
  void Down(int x, int y);
  void MoveTo(int x, int y);
  void Up(int x, int y);
  void Key(UINT vk);
  // Drags from (x, y0) to (x, y1) in `steps` moves, `stepMs` apart, and lets go.
  void Drag(int x, int y0, int y1, int steps, uint32_t stepMs, bool release = true);
  void Advance(uint32_t ms) { platform::wm::AdvanceClock(ms); }
  void Repaint();
  // A pixel of the list's client area as the screen shows it (0x00RRGGBB).
  uint32_t Pixel(int x, int y) const;

  std::vector<Note>& notes();
  std::vector<HWND>& noteWindows();
  std::vector<UINT_PTR>& noteIds();

  parlo_test::TempDevice device_;
  HWND parent_ = nullptr;
  parlo::KineticList list_;
  POINT finger_{0, 0};
};

}  // namespace listtest
