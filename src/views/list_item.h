// One row of a KineticList: shared, reference counted, with its state flags and height.
#pragma once
#include <windows.h>

#include <string>

namespace parlo {

class ListItem {
 public:
  enum State : DWORD { kSelected = 0x1, kCursor = 0x2, kCreated = 0x4 };
  // The only part code the list treats as a hit on the row.
  static constexpr int kHitBody = 1;

  ListItem();

  LONG AddRef();
  // Frees the row when the last reference goes; returns the count left.
  LONG Release();
  LONG RefCount() const { return refs_; }

  // Which part of the row (index, rectangle in window coordinates) the point is on.
  virtual int HitTest(int index, const RECT& rect, POINT point);

  DWORD state = kCreated;
  int height;  // pixels; rows set their own before they are appended
  std::u16string text;

 protected:
  virtual ~ListItem();

 private:
  volatile LONG refs_ = 1;
};

}  // namespace parlo
