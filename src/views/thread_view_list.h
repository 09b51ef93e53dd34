// The conversation view's KineticList: one MessageRow per record of the open conversation,
// drawn as boxes beside their dates (bubble layout) or full width under a heading (plain).
#pragma once
#include <windows.h>

#include <string>

#include "draw/gdi_holders.h"
#include "store/message_record.h"
#include "store/store_error.h"
#include "views/kinetic_list.h"
#include "views/view_context.h"

namespace parlo {

class MessageList : public KineticList {
 public:
  explicit MessageList(const ViewContext& context);

  void SetPosition(int position) { position_ = position; }
  int Position() const { return position_; }
  // Rows from the open conversation; unread messages are marked read on the way. Returns the
  // first failure of the store while marking, for the view to tell once.
  StoreError Fill();

  const std::u16string& HeaderText() const { return header_; }
  bool PlainLayout() const { return plain_; }
  int BubbleWidth() const { return bubbleWidth_; }
  // The open conversation's record shown by a row, or null.
  MessageRecord* RecordAt(int row) const;

 protected:
  void PaintRow(HDC dc, int index, const RECT& rect) override;

 private:
  void PaintBubble(HDC dc, const MessageRecord& record, int width, bool cursor, const RECT& rect);
  void PaintPlain(HDC dc, const MessageRecord& record, bool cursor, const RECT& rect);
  void PaintGradient(HDC dc, const RECT& r);

  FontHolder text_;   // 11 points: message text
  FontHolder small_;  // 9 points: dates and headings
  PenHolder frameLight_, frameDark_;
  const ViewContext& context_;
  int position_ = 0;
  std::u16string header_;
  bool plain_ = false;
  int bubbleWidth_ = -1;  // measured once, then kept for the life of the list
  TRIVERTEX highlight_[4]{};
  GRADIENT_RECT highlightRects_[2]{};
};

}  // namespace parlo
