#include "views/contact_row.h"

#include "contacts/contact_book.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "views/highlight_text.h"
#include "views/main_view_common.h"

namespace parlo {
namespace {

constexpr COLOR16 kLight = 0xD000;
constexpr COLOR16 kDark = 0x6000;
constexpr UINT kWholeNumber = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;

int Length(const WCHAR* text, int max) {
  int n = 0;
  while (n < max && text[n]) ++n;
  return n;
}

const WCHAR* SelectedNumber(const ContactEntry& e) {
  switch (e.selectedNumber) {
    case kNumberBusiness:
      return e.business;
    case kNumberHome:
      return e.home;
    default:
      return e.mobile;
  }
}

}  // namespace

ContactList::ContactList(ContactBook* book, const Skin& skin)
    : book_(book),
      cell_{ScaleX(40), ScaleY(40)},
      defaultPicture_(skin.ContactPicture()),
      defaultWidth_(skin.PictureWidth()),
      defaultHeight_(skin.PictureHeight()) {
  CreateViewFont(name_, 12);
  CreateViewFont(number_, 9);
  separator_.Reset(CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0)));
  rowFill_.Reset(CreateSolidBrush(kContactRowFill));
  cellFill_.Reset(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF)));
  SetDragThresholds(4, 4);
  const COLOR16 shades[4] = {kLight, kDark, kDark, kLight};
  for (int i = 0; i < 4; ++i) cursorShades_[i] = TRIVERTEX{0, 0, shades[i], shades[i], shades[i], 0};
  cursorRects_[0] = GRADIENT_RECT{0, 1};
  cursorRects_[1] = GRADIENT_RECT{2, 3};
}

void ContactList::Fill(int count) {
  DeleteAllRows();
  for (int i = 0; i < count; ++i) {
    auto* row = new ListItem();
    AppendRow(row);
    row->Release();
  }
  EndFilling();
}

void ContactList::OnNotify(ListNotify& notify) {
  KineticList::OnNotify(notify);
  if (static_cast<int>(notify.hdr.code) == LN_SELCHANGE && notify.state == 1 && notify.index >= 0 &&
      notify.index < RowCount() && pick_)
    pick_(notify.index);
}

LRESULT ContactList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Enter picks the cursor row as a tap on it would, even when that row is selected already.
  if (message == WM_KEYUP && wParam == VK_RETURN) {
    const int row = CursorRow();
    if (row >= 0 && row < RowCount()) {
      Activate(row, true);
      if (pick_) pick_(row);
    }
    return 0;
  }
  return KineticList::HandleMessage(message, wParam, lParam);
}

void ContactList::PaintRow(HDC dc, int index, const RECT& rect) {
  const ContactEntry* entry = book_ ? book_->EntryAt(index) : nullptr;
  ListItem* row = RowAt(index);
  if (!entry || !row) return;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = GetTextColor(dc);

  // The picture column is cleared first: below the cell it would show the last frame's pixels.
  const RECT column{rect.left, rect.top, rect.left + cell_.cx, rect.bottom};
  FillRect(dc, &column, cellFill_.Get());
  const HBITMAP own = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(entry->picture));
  HBITMAP picture = own ? own : defaultPicture_;
  if (picture)
    TransparentImage(dc, rect.left, rect.top, cell_.cx, cell_.cy, picture, 0, 0,
                     own ? entry->pictureWidth : defaultWidth_, own ? entry->pictureHeight : defaultHeight_,
                     RGB(0xFF, 0x00, 0xFF));

  RECT rest{rect.left + cell_.cx, rect.top, rect.right, rect.bottom};
  if (row->state & ListItem::kCursor) {
    const LONG middle = rest.top + (rest.bottom - rest.top) / 2;
    cursorShades_[0].x = rest.left, cursorShades_[0].y = rest.top;
    cursorShades_[1].x = rest.right, cursorShades_[1].y = middle;
    cursorShades_[2].x = rest.left, cursorShades_[2].y = middle;
    cursorShades_[3].x = rest.right, cursorShades_[3].y = rest.bottom;
    GradientFill(dc, cursorShades_, 4, cursorRects_, 2, GRADIENT_FILL_RECT_V);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    FillRect(dc, &rest, rowFill_.Get());
    SetTextColor(dc, kContactNameColor);
  }

  rest = RECT{rest.left + ScaleX(4), rest.top + ScaleY(2), rest.right - ScaleX(4), rest.bottom - ScaleY(2)};
  const int q = (rest.bottom - rest.top) / 3 - ScaleY(4);
  const RECT nameLine{rest.left, rest.top, rest.right, rest.top + 2 * q + ScaleY(4)};
  const RECT numberLine{rest.left, nameLine.bottom + ScaleY(2), rest.right, rest.bottom - ScaleY(4)};
  // The group list is not searched, so its rows show no match.
  const bool pieces = book_->IsFiltering(false) && !book_->IsGroupCategory();

  HGDIOBJ oldFont = SelectObject(dc, name_.Get());
  HighlightText(dc, nameLine, entry->name, Length(entry->name, 15), entry->nameMatch[0], entry->nameMatch[1],
                kNameHighlight, pieces);

  SelectObject(dc, number_.Get());
  SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  const WCHAR* number = SelectedNumber(*entry);
  if (book_->DigitCount() < 1) {
    RECT r = numberLine;
    DrawTextW(dc, number, Length(number, 23), &r, kWholeNumber);
  } else {
    HighlightText(dc, numberLine, number, Length(number, 23), entry->numberMatch[0], entry->numberMatch[1],
                  kNumberHighlight, pieces);
  }

  DrawRowSeparator(dc, rect, separator_.Get());
  SelectObject(dc, oldFont);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

}  // namespace parlo
