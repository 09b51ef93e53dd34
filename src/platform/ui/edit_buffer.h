// The text of an EDIT control and its editing state: caret, selection and undo come from
// stb_textedit; this keeps the text (line breaks stored as CR LF, as the phone's edit does), the
// wrapped lines it is shown in, and the rules stb does not know: a caret never stands between
// CR and LF, and a limit on the length.
#pragma once
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#define STB_TEXTEDIT_CHARTYPE char16_t
#define STB_TEXTEDIT_POSITIONTYPE int
#include <stb/stb_textedit.h>

namespace platform::ui {

// Key codes handed to the editing core: a virtual key with kEditKey set, plus modifier bits.
constexpr int kEditKey = 0x100000;
constexpr int kEditShift = 0x200000;
constexpr int kEditControl = 0x400000;

struct EditRow {
  int start = 0;      // first character of the row
  int drawnEnd = 0;   // end of what is drawn (line breaks and trailing spaces left out)
  int next = 0;       // first character of the next row
};

class EditBuffer {
 public:
  // Widths in pixels of each UTF-16 unit of a string, as drawn in the control's font.
  using Measure = std::function<std::vector<int>(const std::u16string&)>;

  explicit EditBuffer(bool singleLine);

  const std::u16string& text() const { return text_; }
  int length() const { return static_cast<int>(text_.size()); }
  // Replaces everything; the undo history goes with it.
  void SetText(const std::u16string& text);
  void SetLimit(int limit) { limit_ = limit; }
  int limit() const { return limit_; }

  // The selection, ordered; without one both are the caret (stb leaves select_* behind then).
  int caret() const { return state_.cursor; }
  int selStart() const { return HasSelection() ? std::min(state_.select_start, state_.select_end) : state_.cursor; }
  int selEnd() const { return HasSelection() ? std::max(state_.select_start, state_.select_end) : state_.cursor; }
  bool HasSelection() const { return state_.select_start != state_.select_end; }
  // Clamped to the text; -1 as start removes the selection (caret stays), end -1 means the end.
  void SetSelection(int start, int end);

  // Each returns true when the text changed.
  bool Key(int key);                        // movement, deletion, undo
  bool Type(char16_t ch);                   // one character at the caret, over the selection
  bool Replace(const std::u16string& text);  // over the selection, cut to the limit
  bool Undo();
  bool CanUndo() const { return state_.undostate.undo_point > 0; }
  void ForgetUndo();
  void Click(int x, int y);  // in layout coordinates (the text's own, before scrolling)
  void Drag(int x, int y);

  // Lays the text out; `composition` is shown at the caret (it is not part of the text).
  void Layout(const Measure& measure, int width, int lineHeight, const std::u16string& composition);
  const std::vector<EditRow>& rows() const { return rows_; }
  const std::u16string& shown() const { return shown_; }  // the text with the composition
  const std::vector<int>& advances() const { return advances_; }
  int lineHeight() const { return lineHeight_; }
  // Row and x position of a place in the shown text.
  int RowOf(int shownIndex) const;
  int XOf(int shownIndex) const;

  // stb_textedit's callbacks.
  void LayoutRow(StbTexteditRow* row, int start) const;
  float CharWidth(int index) const;
  int CharForEditor(int index) const;
  void DeleteChars(int at, int count);
  // Kept out of line: inlined into stb's one-character insert, GCC 12 warns falsely (-Wrestrict).
  [[gnu::noinline]] bool InsertChars(int at, const char16_t* chars, int count);

 private:
  // A caret or selection end between CR and LF moves out of the pair: forwards or back.
  void KeepOffLineBreaks(bool forwards);
  bool InsideLineBreak(int i) const;

  std::u16string text_;
  STB_TexteditState state_{};
  bool singleLine_;
  int limit_ = 0x7FFFFFFE;

  std::u16string shown_;
  std::vector<int> advances_;
  std::vector<EditRow> rows_;
  int lineHeight_ = 1;
};

}  // namespace platform::ui
