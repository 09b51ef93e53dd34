// PickerView: choosing a recipient from the contacts. A top bar with the category button
// ("범주 : ...") and the back button, the contact list, and the consonant keypad at the bottom.
// Every key narrows the list; a picked contact goes to the compose view as its recipient.
#pragma once
#include <windows.h>

#include <string>

#include "views/contact_keypad.h"
#include "views/contact_row.h"
#include "views/frame_view.h"

namespace parlo {

inline constexpr int kContactListId = 2211;
// Commands of the category menu: ID_CATEGORY_FIRST + the category's index.
inline constexpr UINT ID_CATEGORY_FIRST = 300;

class PickerView : public FrameView {
 public:
  static constexpr const WCHAR* kClassName = u"ContactView";

  explicit PickerView(const ViewContext& context);

  // For the frame's UM_SHOWCONTACTS: the previous query, narrowed from the previous result.
  void OnShown(WPARAM, LPARAM) override { Refresh(false); }
  // Lists the contacts of the current query and category; fromAll searches the whole book.
  void Refresh(bool fromAll);
  // A contact row was tapped: it joins the group list (or leaves it), then the compose view is
  // asked for with the group list's first contact as the recipient.
  void PickContact(int row);

  ContactList& list() { return list_; }
  ContactKeypad& keypad() { return keypad_; }
  const RECT& BackButtonRect() const { return back_; }
  const RECT& CategoryButtonRect() const { return category_; }
  const std::u16string& CategoryLabel() const { return label_; }

 protected:
  const WCHAR* ClassName() const override { return kClassName; }
  void OnCreate(int width, int height) override;
  void PaintView(HDC dc, int width, int height) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPress(POINT p);
  void OnRelease(POINT p);
  void ShowCategoryMenu(POINT p);
  void SelectCategory(int index);
  int RunQuery(bool fromAll);

  ContactList list_;
  ContactKeypad keypad_;
  RECT topBar_{}, back_{}, category_{};
  bool backPressed_ = false;
  bool categoryPressed_ = false;
  std::u16string label_;
  BorrowedBitmap button_, buttonPressed_;
};

}  // namespace parlo
