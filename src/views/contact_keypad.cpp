#include "views/contact_keypad.h"

#include "contacts/contact_book.h"
#include "contacts/search_key.h"
#include "views/window_binding.h"

namespace parlo {
namespace {

// The digit each key types, by key position; -1 for "←" and the mode key.
constexpr int kDigitOfKey[ContactKeypad::kKeyCount] = {1, 2, 3, -1, 4, 5, 6, 0, 7, 8, 9, -1};
constexpr COLOR16 kLight = 0xD000;
constexpr COLOR16 kDark = 0x6000;

HBRUSH KeyBrush() { return static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)); }

bool RegisterOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = ContactKeypad::kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// A key pressed down: light at the top, dark in the middle, light again at the bottom.
void FillPressed(HDC dc, const RECT& r) {
  const LONG middle = r.top + (r.bottom - r.top) / 2;
  TRIVERTEX v[4] = {{r.left, r.top, kLight, kLight, kLight, 0},
                    {r.right, middle, kDark, kDark, kDark, 0},
                    {r.left, middle, kDark, kDark, kDark, 0},
                    {r.right, r.bottom, kLight, kLight, kLight, 0}};
  GRADIENT_RECT rects[2] = {{0, 1}, {2, 3}};
  GradientFill(dc, v, 4, rects, 2, GRADIENT_FILL_RECT_V);
}

}  // namespace

ContactKeypad::~ContactKeypad() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND ContactKeypad::Create(HWND parent, const RECT& rect, ContactBook* book) {
  if (hwnd_ || !RegisterOnce(&ContactKeypad::WindowProc)) return nullptr;
  book_ = book;
  light_.Reset(CreatePen(PS_SOLID, 1, RGB(0xCC, 0xCC, 0xCC)));
  dark_.Reset(CreatePen(PS_SOLID, 1, RGB(0x99, 0x99, 0x99)));
  CreateWindowExW(0, kClassName, u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect.left,
                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, nullptr, this);
  return hwnd_;
}

LRESULT CALLBACK ContactKeypad::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return BoundWindowProc(hwnd, message, wParam, lParam, &ContactKeypad::hwnd_, &ContactKeypad::HandleMessage);
}

LRESULT ContactKeypad::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_LBUTTONUP:
      OnRelease(point);
      return 0;
    case WM_DESTROY:
      image_.Free();
      imageSize_ = SIZE{0, 0};
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

SIZE ContactKeypad::ClientSize() const {
  RECT client{};
  if (hwnd_) GetClientRect(hwnd_, &client);
  return SIZE{client.right - client.left, client.bottom - client.top};
}

RECT ContactKeypad::KeyRect(int key) const {
  if (key < 0 || key >= kKeyCount) return RECT{0, 0, 0, 0};
  const SIZE size = ClientSize();
  const int w = size.cx / 4, h = size.cy / 3;
  const int left = (key % 4) * w, top = (key / 4) * h;
  return RECT{left, top, left + w, top + h};
}

int ContactKeypad::KeyAt(POINT p) const {
  const SIZE size = ClientSize();
  const int w = size.cx / 4, h = size.cy / 3;
  // While the pad holds the capture a point can lie outside it, where the division would still
  // name a key of the edge rows; such a point is on no key.
  if (w <= 0 || h <= 0 || p.x < 0 || p.y < 0) return -1;
  const int column = p.x / w, row = p.y / h;
  if (column > 3 || row > 2) return -1;
  return column + 4 * row;
}

std::u16string ContactKeypad::TopCaption(int key) const {
  if (key == kBackKey) return u"←";
  if (key == kModeKey) return book_ && !book_->HangulMode() ? u"영/한" : u"한/영";
  if (key < 0 || key >= kKeyCount) return u"";
  WCHAR digit[8];
  StringCchPrintfW(digit, 8, u"%d", kDigitOfKey[key]);
  return digit;
}

std::u16string ContactKeypad::BottomCaption(int key) const {
  if (key < 0 || key >= kKeyCount || kDigitOfKey[key] < 0) return u"";
  const bool hangul = !book_ || book_->HangulMode();
  return (hangul ? kHangulRows : kLatinRows)[kDigitOfKey[key]];
}

// ---- Touch ----

void ContactKeypad::OnPress(POINT p) {
  SetCapture(hwnd_);
  const int key = KeyAt(p);
  if (key < 0) {
    key_ = -1;
    return;
  }
  key_ = key;
  pressed_ = true;
  RedrawKey(key);
}

void ContactKeypad::OnRelease(POINT p) {
  const int key = key_;
  if (pressed_ && key >= 0) {
    // Sliding off the key before letting go cancels it.
    if (KeyAt(p) == key) Perform(key);
    pressed_ = false;
    RedrawKey(key);
  }
  key_ = -1;
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void ContactKeypad::Perform(int key) {
  if (!book_) return;
  HWND parent = GetParent(hwnd_);
  if (key == kModeKey) {
    book_->ToggleKeyMode();
    redrawAll_ = true;
    return;
  }
  // The group list is not searched: typing there changes nothing.
  if (book_->IsGroupCategory()) return;
  if (key == kBackKey) {
    const bool hadKeys = book_->IsFiltering(false);
    book_->PopKey();
    if (hadKeys) SendMessageW(parent, UM_QUERYCHANGED, 1, 0);
    return;
  }
  const int before = book_->DigitCount();
  book_->PushKey(kDigitOfKey[key]);
  // A full query takes no more keys, and then there is nothing to search again.
  if (book_->DigitCount() != before) SendMessageW(parent, UM_QUERYCHANGED, 0, 0);
}

// ---- Painting ----

void ContactKeypad::RedrawKey(int key) {
  if (!hwnd_) return;
  dirty_ |= 1u << key;
  const RECT r = redrawAll_ ? RECT{0, 0, ClientSize().cx, ClientSize().cy} : KeyRect(key);
  InvalidateRect(hwnd_, &r, FALSE);
  UpdateWindow(hwnd_);
}

void ContactKeypad::DrawKey(HDC dc, int key, bool pressed) {
  const RECT r = KeyRect(key);
  if (pressed) FillPressed(dc, r);
  else FillRect(dc, &r, KeyBrush());
  DrawBoxEdge(dc, r, light_.Get(), dark_.Get());

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const std::u16string top = TopCaption(key), bottom = BottomCaption(key);
  if (kDigitOfKey[key] < 0) {
    RECT whole = r;
    DrawTextW(dc, top.c_str(), -1, &whole, DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  } else {
    const LONG middle = r.top + (r.bottom - r.top) / 2;
    RECT upper{r.left, r.top, r.right, middle}, lower{r.left, middle, r.right, r.bottom};
    DrawTextW(dc, top.c_str(), -1, &upper, DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_BOTTOM);
    DrawTextW(dc, bottom.c_str(), -1, &lower, DT_NOPREFIX | DT_SINGLELINE | DT_CENTER | DT_TOP);
  }
  SetBkMode(dc, oldMode);
}

void ContactKeypad::DrawAllKeys(HDC dc) {
  const SIZE size = ClientSize();
  const RECT all{0, 0, size.cx, size.cy};
  FillRect(dc, &all, KeyBrush());
  for (int key = 0; key < kKeyCount; ++key) DrawKey(dc, key, pressed_ && key == key_);
}

void ContactKeypad::Paint() {
  PaintHolder paint(hwnd_);
  const SIZE size = ClientSize();
  if (!paint.dc() || size.cx <= 0 || size.cy <= 0) return;
  const bool resized = size.cx != imageSize_.cx || size.cy != imageSize_.cy;
  HDC dc = image_.Begin(paint.dc(), size.cx, size.cy);
  if (!dc) return;
  imageSize_ = size;
  if (resized || redrawAll_) {
    DrawAllKeys(dc);
  } else {
    for (int key = 0; key < kKeyCount; ++key)
      if (dirty_ & (1u << key)) DrawKey(dc, key, pressed_ && key == key_);
  }
  redrawAll_ = false;
  dirty_ = 0;
  image_.End(paint.dc(), size.cx, size.cy);
}

}  // namespace parlo
