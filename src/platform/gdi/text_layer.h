// The texts a surface shows: every text drawn on it, where, and in which colour, so automation
// and tests can read the screen as words instead of pixels.
#pragma once
#include <string>
#include <vector>

#include "windef.h"

namespace platform::gdi {

struct TextRun {
  std::u16string text;
  RECT rect;  // surface pixels, right and bottom excluded
  COLORREF color;
};

class TextLayer {
 public:
  void Add(TextRun run);
  // Anything painted over part of a run hides it, so the run goes.
  void RemoveTouching(const RECT& painted);
  // Runs meeting `area`, whole (for carrying along with a copy, or remembering what it hides).
  std::vector<TextRun> Meeting(const RECT& area) const;
  void Clear() { runs_.clear(); }
  const std::vector<TextRun>& runs() const { return runs_; }

 private:
  std::vector<TextRun> runs_;
};

// Rectangle helpers shared by the drawing code (right and bottom excluded).
bool IsEmpty(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);
RECT Offset(RECT r, int dx, int dy);

}  // namespace platform::gdi
