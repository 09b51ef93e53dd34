// Device contexts: memory DCs, their state, saving and restoring, clipping and capabilities.
#include <algorithm>

#include "platform/gdi/objects.h"
#include "platform/gdi/screen_state.h"

using namespace platform;
using namespace platform::gdi;

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !PeekDc(hdc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto dc = std::make_shared<DcObject>();
  dc->memory = true;
  SelectDefaults(dc->state);
  dc->surface = dc->state.bitmap->surface;
  dc->baseClip = {dc->surface->bounds()};
  dc->state.clip = dc->baseClip;
  return ToHandle<HDC>(AddObject(dc));
}

BOOL DeleteDC(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Objects().Remove(FromHandle(hdc));
  return TRUE;
}

int SaveDC(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return FALSE;
  int n = static_cast<int>(dc->saved.size());
  int level = savedDc < 0 ? n + 1 + savedDc : savedDc;  // -1 is the most recent
  if (level < 1 || level > n) return FALSE;
  dc->state = dc->saved[static_cast<size_t>(level - 1)];
  dc->saved.resize(static_cast<size_t>(level - 1));
  if (dc->memory) {
    dc->surface = dc->state.bitmap->surface;
    dc->baseClip = {dc->surface->bounds()};
  }
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return 0;
  switch (index) {
    case HORZRES: return ScreenSurface()->width();
    case VERTRES: return ScreenSurface()->height();
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case LOGPIXELSX: return ScreenDpiX();
    case LOGPIXELSY: return ScreenDpiY();
  }
  return 0;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->state.textColor;
  dc->state.textColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetTextColor(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  return dc ? dc->state.textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = dc->state.bkColor;
  dc->state.bkColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetBkColor(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  return dc ? dc->state.bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->state.bkMode;
  dc->state.bkMode = mode;
  return old;
}

int GetBkMode(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  return dc ? dc->state.bkMode : 0;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.viewport;
  dc->state.viewport = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !origin) return FALSE;
  *origin = dc->state.viewport;
  return TRUE;
}

namespace {
int RegionKind(const std::vector<RECT>& clip) {
  if (clip.empty()) return NULLREGION;
  return clip.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}  // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return ERROR;
  RECT r = dc->DevRect(RECT{left, top, right, bottom});
  std::vector<RECT> next;
  for (const RECT& c : dc->state.clip) {
    RECT i = Intersect(c, r);
    if (!IsEmpty(i)) next.push_back(i);
  }
  dc->state.clip = std::move(next);
  return RegionKind(dc->state.clip);
}

int GetClipBox(HDC hdc, LPRECT rect) {
  DcObject* dc = PeekDc(hdc);
  if (!dc || !rect) return ERROR;
  RECT box{0, 0, 0, 0};
  bool any = false;
  for (const RECT& c : dc->state.clip) {
    if (!any) box = c;
    box.left = std::min(box.left, c.left);
    box.top = std::min(box.top, c.top);
    box.right = std::max(box.right, c.right);
    box.bottom = std::max(box.bottom, c.bottom);
    any = true;
  }
  int dx = dc->origin.x + dc->state.viewport.x, dy = dc->origin.y + dc->state.viewport.y;
  *rect = any ? Offset(box, -dx, -dy) : RECT{0, 0, 0, 0};
  return RegionKind(dc->state.clip);
}
