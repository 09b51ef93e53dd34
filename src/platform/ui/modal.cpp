#include "platform/ui/modal.h"

#include <cmath>

#include "platform/wm/loop.h"

namespace platform::ui {

OwnerDisabler::OwnerDisabler(HWND owner) {
  if (!owner || !IsWindow(owner)) return;
  HWND root = GetAncestor(owner, GA_ROOT);
  owner_ = root ? root : owner;
  if (IsWindowEnabled(owner_)) {
    EnableWindow(owner_, FALSE);
    reenable_ = true;
  }
}

void OwnerDisabler::Restore() {
  if (reenable_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  reenable_ = false;
}

bool RunModalLoop(HWND modal, const std::function<bool()>& done, const std::function<bool(const MSG&)>& filter) {
  struct Entered {
    HWND window;
    explicit Entered(HWND w) : window(w) { wm::EnterModal(w); }
    ~Entered() { wm::LeaveModal(window); }
  } entered(modal);
  MSG msg{};
  while (!done()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got < 0) return false;
    if (filter && filter(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

int Px(int length96) {
  return static_cast<int>(std::lround(static_cast<double>(length96) * ScreenDpi() / 96.0));
}

namespace {
HFONT MakeFont(LPCWSTR face, LONG height, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  int i = 0;
  for (; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  lf.lfFaceName[i] = 0;
  return CreateFontIndirectW(&lf);
}
}  // namespace

UiFont::UiFont(int height96, bool bold) : font_(MakeFont(u"Tahoma", -Px(height96), bold)) {}

UiFont::UiFont(LPCWSTR face, int pointSize, bool bold)
    : font_(MakeFont(face, -static_cast<LONG>(std::lround(pointSize * ScreenDpi() / 72.0)), bold)) {}

UiFont::~UiFont() {
  if (font_) DeleteObject(font_);
}

void FillSolid(HDC hdc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(hdc, &rect, brush);
  DeleteObject(brush);
}

void FrameSolid(HDC hdc, const RECT& r, COLORREF color, int w) {
  FillSolid(hdc, RECT{r.left, r.top, r.right, r.top + w}, color);
  FillSolid(hdc, RECT{r.left, r.bottom - w, r.right, r.bottom}, color);
  FillSolid(hdc, RECT{r.left, r.top, r.left + w, r.bottom}, color);
  FillSolid(hdc, RECT{r.right - w, r.top, r.right, r.bottom}, color);
}

int MulDivInt(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  long long q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
  return static_cast<int>(q);
}

bool PointIn(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

RECT ToScreen(HWND hwnd, RECT r) {
  POINT a{r.left, r.top}, b{r.right, r.bottom};
  ClientToScreen(hwnd, &a);
  ClientToScreen(hwnd, &b);
  return RECT{a.x, a.y, b.x, b.y};
}

}  // namespace platform::ui
