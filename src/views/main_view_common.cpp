#include "views/main_view_common.h"

#include <algorithm>
#include <utility>

#include "draw/dpi.h"
#include "model/conversation.h"
#include "phone.h"

namespace parlo {

HFONT CreateViewFont(FontHolder& holder, int points) {
  LOGFONTW lf{};
  lf.lfHeight = ViewFontHeight(points, ScreenDpi(DpiAxis::Vertical));
  lf.lfWeight = 400;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = 0x20;
  StringCchCopyW(lf.lfFaceName, LF_FACESIZE, u"Tahoma");
  holder.Reset(CreateFontIndirectW(&lf));
  return holder.Get();
}

RECT ShrinkRect(const RECT& r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy}; }

bool Contains(const RECT& r, POINT p) { return PtInRect(&r, p) != FALSE; }

void PaintFooterButton(HDC dc, const FooterButton& button, const WCHAR* label) {
  BrushHolder brush(CreateSolidBrush(button.pressed ? RGB(0x7D, 0x9E, 0xC0) : RGB(0xD4, 0xD0, 0xC8)));
  HGDIOBJ old = SelectObject(dc, brush.Get());
  const RECT& r = button.rect;
  RoundRect(dc, r.left, r.top, r.right, r.bottom, 10, 20);
  SelectObject(dc, old);
  RECT text = r;
  DrawTextW(dc, label, -1, &text, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void DrawBoxEdge(HDC dc, const RECT& r, HPEN light, HPEN dark) {
  HGDIOBJ oldPen = SelectObject(dc, light);
  MoveToEx(dc, r.left, r.bottom - 1, nullptr);
  LineTo(dc, r.left, r.top);
  LineTo(dc, r.right - 1, r.top);
  SelectObject(dc, dark);
  LineTo(dc, r.right - 1, r.bottom - 1);
  LineTo(dc, r.left, r.bottom - 1);
  SelectObject(dc, oldPen);
}

void DrawRowSeparator(HDC dc, const RECT& row, HPEN pen) {
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, row.left + 1, row.bottom - 1, nullptr);
  LineTo(dc, row.right - 1, row.bottom - 1);
  SelectObject(dc, oldPen);
}

HDC OffscreenImage::Begin(HDC reference, int width, int height) {
  if (!bitmap_ || size_.cx != width || size_.cy != height) {
    dc_.Reset();
    bitmap_.Reset(CreateCompatibleBitmap(reference, width, height));
    size_ = SIZE{width, height};
  }
  if (!dc_) {
    dc_.Reset(CreateCompatibleDC(reference));
    dc_.Select(bitmap_.Get());
  }
  return dc_.Get();
}

void OffscreenImage::End(HDC target, int width, int height) {
  if (dc_) BitBlt(target, 0, 0, width, height, dc_.Get(), 0, 0, SRCCOPY);
}

void OffscreenImage::Free() {
  dc_.Reset();
  bitmap_.Reset();
  size_ = SIZE{0, 0};
}

void CallCorrespondent(const MessageRecord& record, const WCHAR* name) {
  if (record.number[0] == 0 || std::u16string_view(record.number) == kNoSenderName) {
    MessageBoxW(nullptr, u"수신된 전화번호가 없습니다.", u"정보", MB_OK);
    return;
  }
  PHONEMAKECALLINFO info{};
  info.cbSize = PHONEMAKECALLINFO_PHONE_SIZE;
  info.dwFlags = PMCF_DEFAULT;
  info.pszDestAddress = record.number;
  info.pszAppName = nullptr;
  info.pszCalledParty = name;
  info.pszComment = nullptr;
  // The phone's dialler takes over from here; nothing comes back to the program.
  PhoneMakeCall(&info);
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
WaitCursor::~WaitCursor() { SetCursor(previous_); }

namespace {

void Repaint(HWND hwnd, const RECT& r) { InvalidateRect(hwnd, &r, FALSE); }

}  // namespace

void FooterButtons::Layout(const RECT& footer) {
  const int middle = footer.left + (footer.right - footer.left) / 2;
  left.rect = ShrinkRect(RECT{footer.left, footer.top, middle, footer.bottom}, 15, 10);
  right.rect = ShrinkRect(RECT{middle, footer.top, footer.right, footer.bottom}, 15, 10);
}

void FooterButtons::Clear() {
  left.Clear();
  right.Clear();
}

FooterButtons::Which FooterButtons::Press(HWND hwnd, POINT p) {
  const Which which = Contains(left.rect, p) ? kLeft : Contains(right.rect, p) ? kRight : kNone;
  if (which == kNone) return kNone;
  FooterButton& button = which == kLeft ? left : right;
  SetTimer(hwnd, which == kLeft ? kLeftHoldTimer : kRightHoldTimer, kHoldMs, nullptr);
  button.pressed = button.held = true;
  Repaint(hwnd, button.rect);
  return which;
}

void FooterButtons::Move(HWND hwnd, POINT p) {
  for (auto [button, timer] : {std::pair{&left, kLeftHoldTimer}, std::pair{&right, kRightHoldTimer}}) {
    if (button->held && !Contains(button->rect, p)) {
      KillTimer(hwnd, timer);
      button->Clear();
      Repaint(hwnd, button->rect);
    }
  }
}

FooterButtons::Which FooterButtons::Release(HWND hwnd, POINT p) {
  if (left.held) KillTimer(hwnd, kLeftHoldTimer);
  if (right.held) KillTimer(hwnd, kRightHoldTimer);
  const Which which = left.pressed && Contains(left.rect, p)     ? kLeft
                      : right.pressed && Contains(right.rect, p) ? kRight
                                                                 : kNone;
  // Released before the view acts, so nothing stays lit behind a message box or another view.
  if (left.pressed) Repaint(hwnd, left.rect);
  if (right.pressed) Repaint(hwnd, right.rect);
  Clear();
  return which;
}

FooterButtons::Which FooterButtons::HoldEnded(HWND hwnd, UINT_PTR timer) {
  KillTimer(hwnd, timer);
  FooterButton& button = timer == kLeftHoldTimer ? left : right;
  // A tick queued before the finger left or lifted is stale.
  if (!button.held) return kNone;
  button.Clear();
  Repaint(hwnd, button.rect);
  return timer == kLeftHoldTimer ? kLeft : kRight;
}

}  // namespace parlo
