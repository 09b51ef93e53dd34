// The message list's KineticList: one ConversationRow per conversation of the model.
#pragma once
#include <windows.h>

#include "draw/gdi_holders.h"
#include "views/kinetic_list.h"
#include "views/view_context.h"

namespace parlo {

class ConversationList : public KineticList {
 public:
  explicit ConversationList(const ViewContext& context);

  // Rebuilds the rows from the model and puts the cursor back on the last conversation opened.
  void Refill();

  int TotalMessages() const { return total_; }
  bool WholePreview() const { return wholePreview_; }
  // The last conversation opened from this list; it survives refills.
  int RememberedRow() const { return remembered_; }
  void SetRememberedRow(int row) { remembered_ = row; }

 protected:
  void PaintRow(HDC dc, int index, const RECT& rect) override;
  void OnNotify(ListNotify& notify) override;

 private:
  FontHolder small_;  // 9 points: date line and preview
  FontHolder large_;  // 14 points: the name
  PenHolder separator_;
  const ViewContext& context_;
  int total_ = 0;
  bool wholePreview_ = false;
  int remembered_ = -1;
  HBITMAP defaultPicture_ = nullptr;  // the skin's
  int defaultWidth_ = 0;
  int defaultHeight_ = 0;
};

}  // namespace parlo
