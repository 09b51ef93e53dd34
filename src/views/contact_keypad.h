// CContactKbd: the picker's twelve-key pad. Each digit key types a digit and, at the same time,
// a group of letters (initial consonants in Hangul mode, Latin letters in Latin mode); "←" takes
// the last key back and "한/영" switches the groups. A key acts when the finger lifts on the key
// it went down on; the parent hears of every change of the query with UM_QUERYCHANGED.
#pragma once
#include <windows.h>

#include <string>

#include "draw/gdi_holders.h"
#include "views/main_view_common.h"

namespace parlo {

class ContactBook;

// To the picker: the query changed. wParam 1 after a key was taken back (search everything
// again), 0 after a key was added (narrow the previous result).
inline constexpr UINT UM_QUERYCHANGED = WM_USER + 31;  // 1055

class ContactKeypad {
 public:
  static constexpr const WCHAR* kClassName = u"CContactKbd";
  static constexpr int kKeyCount = 12;
  static constexpr int kBackKey = 3;
  static constexpr int kModeKey = 11;

  ContactKeypad() = default;
  ~ContactKeypad();
  ContactKeypad(const ContactKeypad&) = delete;
  ContactKeypad& operator=(const ContactKeypad&) = delete;

  // A visible child of `parent`, which receives UM_QUERYCHANGED. The book may be null (no keys act).
  HWND Create(HWND parent, const RECT& rect, ContactBook* book);
  HWND hwnd() const { return hwnd_; }

  // Key k sits in column k mod 4 and row k div 4, each a quarter of the width and a third of the
  // height; client coordinates.
  RECT KeyRect(int key) const;
  // The key under a client point, or -1 (also for a point outside the pad).
  int KeyAt(POINT p) const;
  // The digit key's number, or the whole caption of "←" and the mode key.
  std::u16string TopCaption(int key) const;
  // The letters of a digit key in the current mode; empty for "←" and the mode key.
  std::u16string BottomCaption(int key) const;
  int PressedKey() const { return pressed_ ? key_ : -1; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnPress(POINT p);
  void OnRelease(POINT p);
  void Perform(int key);
  SIZE ClientSize() const;

  // Off-screen drawing: every key after creation and a mode change, else only the key that changed.
  void Paint();
  void DrawAllKeys(HDC dc);
  void DrawKey(HDC dc, int key, bool pressed);
  void RedrawKey(int key);

  HWND hwnd_ = nullptr;
  ContactBook* book_ = nullptr;
  int key_ = -1;
  bool pressed_ = false;
  bool redrawAll_ = true;
  unsigned dirty_ = 0;  // keys to draw again, one bit each
  OffscreenImage image_;
  SIZE imageSize_{0, 0};
  PenHolder light_, dark_;
};

}  // namespace parlo
