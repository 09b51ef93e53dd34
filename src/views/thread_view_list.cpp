#include "views/thread_view_list.h"

#include "draw/dpi.h"
#include "model/conversation.h"
#include "model/message_store.h"
#include "settings/settings.h"
#include "views/main_view_common.h"
#include "views/message_row.h"

namespace parlo {
namespace {

// The width at which the store wraps texts when the short view is on: eight syllables.
const WCHAR kBubbleSample[] = u"가나다라마바사아";
constexpr UINT kMeasure = DT_CALCRECT | DT_EDITCONTROL | DT_WORDBREAK;
constexpr UINT kBodyText = DT_EDITCONTROL | DT_NOPREFIX | DT_WORDBREAK;
constexpr COLOR16 kLight = 0xD000;
constexpr COLOR16 kDark = 0x6000;

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  BrushHolder brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.Get());
}

}  // namespace

MessageList::MessageList(const ViewContext& context) : context_(context) {
  CreateViewFont(text_, 11);
  CreateViewFont(small_, 9);
  frameLight_.Reset(CreatePen(PS_SOLID, 1, RGB(0xCC, 0xCC, 0xCC)));
  frameDark_.Reset(CreatePen(PS_SOLID, 1, RGB(0x99, 0x99, 0x99)));
  SetDragThresholds(4, 4);
  const COLOR16 shades[4] = {kLight, kDark, kDark, kLight};
  for (int i = 0; i < 4; ++i) highlight_[i] = TRIVERTEX{0, 0, shades[i], shades[i], shades[i], 0};
  highlightRects_[0] = GRADIENT_RECT{0, 1};
  highlightRects_[1] = GRADIENT_RECT{2, 3};
}

MessageRecord* MessageList::RecordAt(int row) const {
  MessageStore& store = context_.store;
  if (position_ < 0 || position_ >= store.ConversationCount()) return nullptr;
  Conversation& conversation = store.ConversationAt(position_);
  if (row < 0 || row >= static_cast<int>(conversation.size())) return nullptr;
  return conversation[static_cast<size_t>(row)].get();
}

StoreError MessageList::Fill() {
  const Settings& settings = context_.settings;
  MessageStore& store = context_.store;
  plain_ = settings.use_original_view;
  DeleteAllRows();
  header_.clear();

  // A position the model no longer has (every conversation deleted) shows an empty list.
  Conversation* conversation =
      position_ >= 0 && position_ < store.ConversationCount() ? &store.ConversationAt(position_) : nullptr;
  if (conversation && !conversation->empty()) {
    WCHAR header[300];
    StringCchPrintfW(header, 300, u"%s\n(%d개)", store.DisplayNameFor(conversation->front()->number),
                     static_cast<int>(conversation->size()));
    header_ = header;
  }

  HDC dc = GetDC(hwnd());
  HGDIOBJ oldFont = dc ? SelectObject(dc, text_.Get()) : nullptr;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const RECT measureArea{client.left + ScaleX(10), client.top, client.right - ScaleX(10), client.bottom};
  if (!plain_ && bubbleWidth_ == -1 && dc) {
    RECT r = measureArea;
    DrawTextW(dc, kBubbleSample, -1, &r, kMeasure);
    bubbleWidth_ = (r.right - r.left) + ScaleX(20);
  }
  // A bubble's text is drawn inside its frame, four pixels in from either side: measured there,
  // every line of a text wider than the bubble gets its room.
  RECT textArea = measureArea;
  if (!plain_ && bubbleWidth_ > 0) textArea.right = textArea.left + bubbleWidth_ - 2 * ScaleX(4);
  StoreError firstError = StoreError::kNone;
  if (conversation) {
    for (const auto& record : *conversation) {
      const bool unread = record->isMms ? record->mmsFlag == 0 : record->isRead == 0;
      if (unread) {
        const StoreError error = store.UpdateRecord(record->dbIndex, record.get(), false);
        if (firstError == StoreError::kNone && StoreErrorText(error)) firstError = error;
      }
      RECT r = textArea;
      if (dc) DrawTextW(dc, record->text, -1, &r, kMeasure);
      const int textHeight = r.bottom - r.top;
      auto* row = plain_ ? new MessageRow(0, textHeight + ScaleY(26))
                         : new MessageRow(bubbleWidth_, textHeight + ScaleY(6));
      AppendRow(row);
      row->Release();
    }
  }
  if (dc) {
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd(), dc);
  }
  EndFilling();
  if (settings.view_sort && RowCount() > 0) SetCursor(RowCount() - 1);
  if (hwnd()) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
  return firstError;
}

void MessageList::PaintRow(HDC dc, int index, const RECT& rect) {
  auto* row = static_cast<MessageRow*>(RowAt(index));
  const MessageRecord* record = RecordAt(index);
  if (!row || !record) return;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = GetTextColor(dc);
  HGDIOBJ oldFont = SelectObject(dc, text_.Get());
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const bool cursor = (row->state & ListItem::kCursor) != 0;
  if (plain_) PaintPlain(dc, *record, cursor, rect);
  else PaintBubble(dc, *record, row->width, cursor, rect);
  SelectObject(dc, oldFont);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

void MessageList::PaintGradient(HDC dc, const RECT& r) {
  const LONG middle = r.top + (r.bottom - r.top) / 2;
  highlight_[0].x = r.left, highlight_[0].y = r.top;
  highlight_[1].x = r.right, highlight_[1].y = middle;
  highlight_[2].x = r.left, highlight_[2].y = middle;
  highlight_[3].x = r.right, highlight_[3].y = r.bottom;
  GradientFill(dc, highlight_, 4, highlightRects_, 2, GRADIENT_FILL_RECT_V);
}

void MessageList::PaintBubble(HDC dc, const MessageRecord& record, int width, bool cursor, const RECT& rect) {
  const bool received = record.dbIndex == DB_RECV;
  RECT m{rect.left, rect.top + ScaleY(1), rect.right, rect.bottom - ScaleY(1)};
  if (received) {
    m.right = rect.right - ScaleX(10);
    m.left = m.right - width;
  } else {
    m.right = rect.left + width;
    m.left = rect.left + ScaleX(10);
  }
  if (cursor) {
    PaintGradient(dc, m);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  } else {
    const COLORREF fill = record.isMms ? RGB(0xE6, 0xE6, 0xFA) : received ? RGB(0xF0, 0xF0, 0xF0) : RGB(0xFF, 0xE4, 0xE1);
    FillColor(dc, m, fill);
    SetTextColor(dc, RGB(0, 0, 0));
  }
  DrawBoxEdge(dc, m, frameLight_.Get(), frameDark_.Get());
  m = RECT{m.left + ScaleX(4), m.top + ScaleY(2), m.right - ScaleX(4), m.bottom - ScaleY(2)};

  const COLORREF textColor = GetTextColor(dc);
  WCHAR date[48];
  StringCchPrintfW(date, 48, u"[%s]", record.timeText);
  RECT dateRect = received ? RECT{rect.left, m.top, m.left, m.bottom} : RECT{m.right, m.top, rect.right, m.bottom};
  SelectObject(dc, small_.Get());
  SetTextColor(dc, received ? RGB(0x64, 0x99, 0x00) : RGB(0x66, 0x99, 0xCC));
  DrawTextW(dc, date, -1, &dateRect, kBodyText);

  SelectObject(dc, text_.Get());
  SetTextColor(dc, textColor);
  DrawTextW(dc, record.text, -1, &m, kBodyText);
}

void MessageList::PaintPlain(HDC dc, const MessageRecord& record, bool cursor, const RECT& rect) {
  const bool received = record.dbIndex == DB_RECV;
  if (cursor) PaintGradient(dc, rect);
  else FillColor(dc, rect, received ? RGB(0xFF, 0xFF, 0xFF) : RGB(0xF0, 0xF0, 0xF0));

  const RECT inner{rect.left + ScaleX(2), rect.top + ScaleY(2), rect.right - ScaleX(2), rect.bottom - ScaleY(2)};
  RECT heading{inner.left, inner.top + 5, inner.right, inner.top + 40};
  RECT text{inner.left, inner.top + 40, inner.right, inner.bottom};

  WCHAR line[400];
  StringCchPrintfW(line, 400, u"%s (%s) %s", received ? context_.store.DisplayNameFor(record.number) : u"나",
                   record.timeText, record.isMms ? u"- MMS" : u"");
  SelectObject(dc, small_.Get());
  SetTextColor(dc, record.isMms ? RGB(0xFF, 0x66, 0x33) : received ? RGB(0x00, 0x99, 0x00) : RGB(0x00, 0x00, 0xFF));
  DrawTextW(dc, line, -1, &heading, DT_NOPREFIX | DT_VCENTER | DT_CENTER);

  SelectObject(dc, text_.Get());
  SetTextColor(dc, GetSysColor(cursor ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, record.text, -1, &text, kBodyText);

  MoveToEx(dc, rect.left + 2, rect.bottom - 2, nullptr);
  LineTo(dc, rect.right - 2, rect.bottom - 2);
}

}  // namespace parlo
