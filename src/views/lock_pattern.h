// The lock pattern: the password as key indices, the gesture being drawn, and their comparison.
#pragma once
#include <windows.h>

#include <vector>

#include "views/lock_layout.h"

namespace parlo {

using LockPattern = std::vector<int>;

// The pattern that opens the lock when the password cannot be drawn: an L down the left
// column and one key to the right.
LockPattern FallbackPattern();

// The digits of `password` as key indices. A password that cannot be drawn (a letter, nothing,
// the digit 9, a digit twice) gives the fallback, so the lock can always be opened.
LockPattern PatternFromPassword(const WCHAR* password);

// The keys touched since the finger went down, each at most once.
class LockGesture {
 public:
  // Adds key k; false when it is no key or already in the gesture.
  bool Touch(int k);
  void Clear();
  const LockPattern& Entered() const { return entered_; }
  bool IsSelected(int k) const { return k >= 0 && k < kLockKeys && selected_[k]; }
  // An empty gesture never matches.
  bool Matches(const LockPattern& password) const { return !entered_.empty() && entered_ == password; }

 private:
  bool selected_[kLockKeys] = {};
  LockPattern entered_;
};

}  // namespace parlo
