#include "views/lock_layout.h"

#include "draw/dpi.h"

namespace parlo {

LockLayout ComputeLockLayout(int width, int height, int dpiX, int dpiY) {
  auto sx = [dpiX](int v) { return ScaleForDpi(v, dpiX); };
  auto sy = [dpiY](int v) { return ScaleForDpi(v, dpiY); };
  LockLayout l;
  l.keyWidth = (width - sx(10)) / 3;
  l.keyHeight = (height - sy(110)) / 3;
  l.clockHeight = sy(100);
  l.clock = RECT{0, 0, width, l.clockHeight};
  l.pad = RECT{0, l.clockHeight, width, height};
  for (int k = 0; k < kLockKeys; ++k) {
    // The grid's left margin of 10 is in pixels at every dpi.
    const int left = 10 + (k % 3) * l.keyWidth, top = l.clockHeight + (k / 3) * l.keyHeight;
    RECT& key = l.keys[k];
    key = RECT{left + sx(20), top + sy(30), left + l.keyWidth - sx(20), top + l.keyHeight - sy(30)};
    l.centres[k] = POINT{(key.left + key.right) / 2, (key.top + key.bottom) / 2};
  }
  return l;
}

int LockKeyAt(const LockLayout& layout, POINT p) {
  for (int k = 0; k < kLockKeys; ++k)
    if (PtInRect(&layout.keys[k], p)) return k;
  return -1;
}

}  // namespace parlo
