// The picker's KineticList: one row per listed contact, drawn from the contact book by position
// (picture, name, one number, the matched parts highlighted while the user types). A tap on a
// row, or Enter on the cursor row, picks that contact.
#pragma once
#include <windows.h>

#include <functional>

#include "draw/gdi_holders.h"
#include "views/kinetic_list.h"

namespace parlo {

class ContactBook;
class Skin;

// Highlight colours of the matched part (0x00BBGGRR).
inline constexpr COLORREF kNameHighlight = 0x66CC66;
inline constexpr COLORREF kNumberHighlight = 0xCCCC33;
// Colours of a row that is not the cursor row.
inline constexpr COLORREF kContactRowFill = 0xF0F0F0;
inline constexpr COLORREF kContactNameColor = 0x434343;

class ContactList : public KineticList {
 public:
  using PickHook = std::function<void(int row)>;

  // The book may be null: the list then stays empty.
  ContactList(ContactBook* book, const Skin& skin);

  // `count` rows, each standing for the book's entry at its position.
  void Fill(int count);
  void SetPickHook(PickHook hook) { pick_ = std::move(hook); }
  // The cell a contact's picture is drawn into.
  SIZE PictureCell() const { return cell_; }

 protected:
  void PaintRow(HDC dc, int index, const RECT& rect) override;
  void OnNotify(ListNotify& notify) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  ContactBook* book_;
  FontHolder name_;    // 12 points
  FontHolder number_;  // 9 points
  PenHolder separator_;
  BrushHolder rowFill_, cellFill_;
  SIZE cell_;
  HBITMAP defaultPicture_;  // the skin's
  int defaultWidth_, defaultHeight_;
  TRIVERTEX cursorShades_[4]{};
  GRADIENT_RECT cursorRects_[2]{};
  PickHook pick_;
};

}  // namespace parlo
