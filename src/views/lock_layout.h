// Where the lock screen's parts lie: the clock strip on top and, below it, three by three keys,
// numbered 0 1 2 / 3 4 5 / 6 7 8. Computed once from the client size and the screen's dpi.
#pragma once
#include <windows.h>

namespace parlo {

inline constexpr int kLockKeys = 9;

struct LockLayout {
  RECT keys[kLockKeys]{};
  POINT centres[kLockKeys]{};
  RECT clock{};  // the strip at the top
  RECT pad{};    // everything below it
  int keyWidth = 0;
  int keyHeight = 0;
  int clockHeight = 0;
};

// Cells of (W - 10) / 3 by (H - 110) / 3 under a 100-high strip (lengths for 96 dpi), each key
// its cell less 20 on either side and 30 above and below.
LockLayout ComputeLockLayout(int width, int height, int dpiX, int dpiY);

// The key whose rectangle holds `p`, or -1: the strip, the margins between keys and anything
// outside select nothing.
int LockKeyAt(const LockLayout& layout, POINT p);

}  // namespace parlo
