// The message list's KineticList: one ConversationRow per conversation of the model.
#pragma once
#include <windows.h>

#include "shell/draw/gdi_holders.h"
#include "views/kinetic_list.h"

class MessageStore;

namespace parlo {

class ConversationList : public KineticList {
 public:
  ConversationList();

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
  MessageStore* model_ = nullptr;
  int total_ = 0;
  bool wholePreview_ = false;
  int remembered_ = -1;
  bool fetched_ = false;
  HBITMAP defaultPicture_ = nullptr;  // the skin's
  int defaultWidth_ = 0;
  int defaultHeight_ = 0;
};

}  // namespace parlo
