// Drawing the panel: light keys on a grey tray, function keys darker, enter in blue.
#include <algorithm>

#include "platform/sip/panel_state.h"
#include "platform/ui/modal.h"

namespace platform::sip {
namespace {

constexpr COLORREF kTray = RGB(0xD1, 0xD4, 0xDA);
constexpr COLORREF kEdge = RGB(0xA9, 0xAD, 0xB5);
constexpr COLORREF kKey = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kFunction = RGB(0xAE, 0xB4, 0xBE);
constexpr COLORREF kShadow = RGB(0x89, 0x8C, 0x93);
constexpr COLORREF kPressed = RGB(0x9C, 0xC3, 0xF7);
constexpr COLORREF kAccent = RGB(0x1A, 0x6D, 0xE8);
constexpr COLORREF kInk = RGB(0x11, 0x13, 0x16);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

constexpr int kRows = 4;
constexpr int kHalfKeys = 20;  // a row is 20 half key widths

void RoundBox(HDC dc, const RECT& r, COLORREF color, int radius) {
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  RoundRect(dc, r.left, r.top, r.right + 1, r.bottom + 1, radius, radius);  // a null pen leaves the edge out
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

bool IsFunction(KeyKind kind) { return kind != KeyKind::kType && kind != KeyKind::kSpace; }

struct Fonts {
  ui::UiFont letter{15}, jamo{18}, word{10, true};
};

// Jamo are drawn small within their em square, so they get a larger size to match the letters.
bool IsJamo(const std::u16string& label) { return label.size() == 1 && label[0] >= 0x3131 && label[0] <= 0x318E; }

void PaintKey(const PanelState& s, HDC dc, int index, const Fonts& fonts) {
  const PlacedKey& k = s.keys[index];
  const bool pressed = index == s.pressed;
  const bool shiftOn = k.cap.kind == KeyKind::kShift && s.shifted;
  COLORREF face = IsFunction(k.cap.kind) ? kFunction : kKey;
  COLORREF ink = kInk;
  if (k.cap.kind == KeyKind::kEnter) {
    face = kAccent;
    ink = kWhite;
  }
  if (shiftOn) {
    face = kKey;
    ink = kAccent;
  }
  if (pressed) face = kPressed;
  const int radius = ui::Px(10);
  RECT shadow = k.rect;
  OffsetRect(&shadow, 0, std::max(1, ui::Px(1)));
  RoundBox(dc, shadow, kShadow, radius);
  RoundBox(dc, k.rect, face, radius);
  if (k.cap.label.empty()) return;
  // Words (the mode key, the space bar's language) small.
  const bool word = k.cap.label.size() > 1 && k.cap.kind != KeyKind::kType;
  HGDIOBJ old = SelectObject(dc, word ? fonts.word.get() : IsJamo(k.cap.label) ? fonts.jamo.get() : fonts.letter.get());
  SetTextColor(dc, ink);
  RECT text = k.rect;
  DrawTextW(dc, k.cap.label.c_str(), static_cast<int>(k.cap.label.size()), &text,
            DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
}

}  // namespace

int PanelHeight() { return ui::Px(6) + kRows * ui::Px(37); }

void PlaceKeys(PanelState& s, int width, int height) {
  KeyRows rows = RowsFor(s.layout, s.shifted);
  s.keys.clear();
  const int margin = ui::Px(2), gapX = ui::Px(3), gapY = ui::Px(5), top = ui::Px(6);
  const int rowHeight = (height - top) / kRows;
  const int usable = width - 2 * margin;
  for (size_t r = 0; r < rows.size(); ++r) {
    int units = 0;
    for (const KeyCap& k : rows[r]) units += k.width;
    // Short rows (the middle letter row) sit centred, as on a printed keyboard.
    int x = margin * kHalfKeys + (kHalfKeys - units) * usable / 2;
    const int y = top + static_cast<int>(r) * rowHeight;
    for (KeyCap& k : rows[r]) {
      int left = x / kHalfKeys, right = (x + k.width * usable) / kHalfKeys;
      s.keys.push_back(PlacedKey{std::move(k), RECT{left + gapX / 2, y, right - (gapX - gapX / 2), y + rowHeight - gapY}});
      x += k.width * usable;
    }
  }
}

void PaintPanel(const PanelState& s, HDC dc) {
  RECT client{};
  GetClientRect(s.hwnd, &client);
  Fonts fonts;
  SetBkMode(dc, TRANSPARENT);
  ui::FillSolid(dc, client, kTray);
  ui::FillSolid(dc, RECT{0, 0, client.right, std::max(1, ui::Px(1))}, kEdge);
  for (size_t i = 0; i < s.keys.size(); ++i) PaintKey(s, dc, static_cast<int>(i), fonts);
}

}  // namespace platform::sip
