#include "views/lock_pattern.h"

namespace parlo {

LockPattern FallbackPattern() { return LockPattern{0, 3, 6, 7}; }

LockPattern PatternFromPassword(const WCHAR* password) {
  LockPattern pattern;
  bool used[10] = {};
  for (const WCHAR* c = password; c && *c; ++c) {
    if (*c < u'0' || *c > u'9') return FallbackPattern();
    const int digit = *c - u'0';
    // No key 9, and a key joins a gesture only once.
    if (digit >= kLockKeys || used[digit]) return FallbackPattern();
    used[digit] = true;
    pattern.push_back(digit);
  }
  return pattern.empty() ? FallbackPattern() : pattern;
}

bool LockGesture::Touch(int k) {
  if (k < 0 || k >= kLockKeys || selected_[k]) return false;
  selected_[k] = true;
  entered_.push_back(k);
  return true;
}

void LockGesture::Clear() {
  for (bool& s : selected_) s = false;
  entered_.clear();
}

}  // namespace parlo
