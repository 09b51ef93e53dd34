#include "views/main_view_list.h"

#include <algorithm>

#include "contacts/contact_book.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/conversation.h"
#include "model/message_store.h"
#include "settings/settings.h"
#include "views/conversation_row.h"
#include "views/main_view_common.h"
#include "views/view_mode.h"

namespace parlo {

ConversationList::ConversationList(const ViewContext& context) : context_(context) {
  CreateViewFont(small_, 9);
  CreateViewFont(large_, 14);
  separator_.Reset(CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0)));
  SetDragThresholds(6, 6);
}

void ConversationList::Refill() {
  if (!defaultPicture_) {
    defaultPicture_ = context_.skin.ContactPicture();
    defaultWidth_ = context_.skin.PictureWidth();
    defaultHeight_ = context_.skin.PictureHeight();
  }
  DeleteAllRows();
  total_ = 0;
  const Settings& settings = context_.settings;
  MessageStore& store = context_.store;
  const bool newestLast = settings.view_sort;
  wholePreview_ = settings.use_original_view;

  const int count = store.ConversationCount();
  for (int n = 0; n < count; ++n) {
    Conversation& conversation = store.ConversationAt(n);
    auto* row = new ConversationRow();
    // Row n must stay conversation n, so even a conversation without records gets its row.
    const MessageRecord* shown =
        conversation.empty() ? nullptr : (newestLast ? conversation.back() : conversation.front()).get();
    if (shown) {
      row->name = store.DisplayNameFor(shown->number);
      WCHAR line[64];
      StringCchPrintfW(line, 64, u"%s (%d건)", shown->timeText, static_cast<int>(conversation.size()));
      row->dateLine = line;
      row->preview = PreviewText(shown->text, wholePreview_);
      if (context_.contacts)
        context_.contacts->ContactPictureFor(shown->contactOid, &row->picture, &row->pictureWidth,
                                                  &row->pictureHeight);
    }
    AppendRow(row);
    row->Release();
    total_ += static_cast<int>(conversation.size());
  }
  EndFilling();
  if (remembered_ >= 0) SetCursor(remembered_);
  if (hwnd()) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
}

void ConversationList::OnNotify(ListNotify& notify) {
  KineticList::OnNotify(notify);
  if (static_cast<int>(notify.hdr.code) == LN_SELCHANGE && notify.state == 1 && notify.index >= 0 &&
      notify.index < RowCount()) {
    remembered_ = notify.index;
    context_.SendToFrame(UM_SHOWTHREAD, static_cast<WPARAM>(notify.index), 0);
  }
}

void ConversationList::PaintRow(HDC dc, int index, const RECT& rect) {
  auto* row = static_cast<ConversationRow*>(RowAt(index));
  if (!row) return;
  const int picW = ScaleX(60);
  const int picH = ScaleY(60);
  HBITMAP picture = row->picture ? row->picture : defaultPicture_;
  const int srcW = row->picture ? row->pictureWidth : defaultWidth_;
  const int srcH = row->picture ? row->pictureHeight : defaultHeight_;
  // The picture's transparent parts (or a missing picture) must not show the last frame's pixels.
  const RECT pictureBox{rect.left, rect.top, rect.left + picW, std::min<LONG>(rect.top + picH, rect.bottom)};
  FillRect(dc, &pictureBox, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (picture) TransparentImage(dc, rect.left, rect.top, picW, picH, picture, 0, 0, srcW, srcH, RGB(0xFF, 0x00, 0xFF));

  const bool cursor = (row->state & ListItem::kCursor) != 0;
  const RECT rest{rect.left + picW, rect.top, rect.right, rect.bottom};
  if (cursor) {
    FillRect(dc, &rest, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  } else {
    BrushHolder brush(CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0)));
    FillRect(dc, &rest, brush.Get());
  }
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, GetSysColor(cursor ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ oldFont = SelectObject(dc, large_.Get());

  RECT area{rest.left, rest.top, rest.right - ScaleX(5), rest.bottom};
  area = RECT{area.left + ScaleX(2), area.top + ScaleY(2), area.right - ScaleX(2), area.bottom - ScaleY(2)};
  const int q = (area.bottom - area.top) / 4 - ScaleY(4);
  RECT name{area.left, area.top, area.right, area.top + 2 * q + ScaleY(4)};
  RECT date{area.left, name.bottom, area.right, name.bottom + q};
  RECT preview{area.left, date.bottom + ScaleY(2), area.right, area.bottom - ScaleY(4)};
  const UINT line = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;

  DrawTextW(dc, row->name.c_str(), -1, &name, line);
  SelectObject(dc, small_.Get());
  SetTextColor(dc, GetSysColor(27));
  DrawTextW(dc, row->dateLine.c_str(), -1, &date, line | DT_RIGHT);
  SetTextColor(dc, GetSysColor(cursor ? COLOR_WINDOWTEXT : COLOR_BTNSHADOW));
  DrawTextW(dc, row->preview.c_str(), -1, &preview,
            wholePreview_ ? (DT_END_ELLIPSIS | DT_EDITCONTROL | DT_NOPREFIX | DT_WORDBREAK) : line);

  DrawRowSeparator(dc, rect, separator_.Get());
  SelectObject(dc, oldFont);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

}  // namespace parlo
