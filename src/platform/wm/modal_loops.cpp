// The modal loops running now, innermost last, and whom input belongs to while one runs.
#include <algorithm>

#include "platform/wm/loop.h"
#include "platform/wm/queue.h"

namespace platform::wm {
namespace {

std::vector<HWND> g_modal;

// `hwnd` lies inside `modal` or inside a window that `modal` owns, directly or through others.
bool OwnedBy(HWND modal, HWND hwnd) {
  HWND top = TopLevelOf(hwnd);
  while (top && top != modal) {
    Window* w = Find(top);
    top = w ? w->owner : nullptr;
  }
  return top != nullptr;
}

}  // namespace

void EnterModal(HWND window) {
  g_modal.push_back(window);
  // A finger held on a window behind (a held button whose timer opened the box) lets go of it,
  // as a window does when it is disabled: the rest of that gesture belongs to the modal window.
  HWND capture = GetCapture();
  if (capture && !OwnedBy(window, capture)) {
    CallProc(capture, WM_CANCELMODE, 0, 0);
    if (GetCapture() == capture) ReleaseCapture();
  }
}

void LeaveModal(HWND window) {
  auto it = std::find(g_modal.rbegin(), g_modal.rend(), window);
  if (it != g_modal.rend()) g_modal.erase(std::next(it).base());
}

int ModalDepth() { return static_cast<int>(g_modal.size()); }

HWND ModalInputOwner(HWND target) {
  for (auto it = g_modal.rbegin(); it != g_modal.rend(); ++it) {
    if (!Find(*it)) continue;  // destroyed while its loop winds down
    return OwnedBy(*it, target) ? target : *it;
  }
  return target;
}

}  // namespace platform::wm
