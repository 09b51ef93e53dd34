#include "platform/ui/edit_buffer.h"

#include <algorithm>

#include "platform/gdi/text_layout.h"

// The editing core is stb_textedit; its callbacks lead back to EditBuffer.
#define STB_TEXTEDIT_STRING platform::ui::EditBuffer
#define STB_TEXTEDIT_STRINGLEN(obj) ((obj)->length())
#define STB_TEXTEDIT_LAYOUTROW(r, obj, n) ((obj)->LayoutRow((r), (n)))
#define STB_TEXTEDIT_GETWIDTH(obj, n, i) ((obj)->CharWidth((n) + (i)))
#define STB_TEXTEDIT_KEYTOTEXT(k) (((k) & platform::ui::kEditKey) ? -1 : (k))
#define STB_TEXTEDIT_GETCHAR(obj, i) ((obj)->CharForEditor(i))
#define STB_TEXTEDIT_NEWLINE '\n'
#define STB_TEXTEDIT_IS_SPACE(c) ((c) == ' ' || (c) == '\t' || (c) == '\n' || (c) == 0x3000)
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) ((obj)->DeleteChars((i), (n)))
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) ((obj)->InsertChars((i), (c), (n)))
#define STB_TEXTEDIT_K_SHIFT platform::ui::kEditShift
#define STB_TEXTEDIT_K_LEFT (platform::ui::kEditKey | VK_LEFT)
#define STB_TEXTEDIT_K_RIGHT (platform::ui::kEditKey | VK_RIGHT)
#define STB_TEXTEDIT_K_UP (platform::ui::kEditKey | VK_UP)
#define STB_TEXTEDIT_K_DOWN (platform::ui::kEditKey | VK_DOWN)
#define STB_TEXTEDIT_K_PGUP (platform::ui::kEditKey | VK_PRIOR)
#define STB_TEXTEDIT_K_PGDOWN (platform::ui::kEditKey | VK_NEXT)
#define STB_TEXTEDIT_K_LINESTART (platform::ui::kEditKey | VK_HOME)
#define STB_TEXTEDIT_K_LINEEND (platform::ui::kEditKey | VK_END)
#define STB_TEXTEDIT_K_TEXTSTART (STB_TEXTEDIT_K_LINESTART | platform::ui::kEditControl)
#define STB_TEXTEDIT_K_TEXTEND (STB_TEXTEDIT_K_LINEEND | platform::ui::kEditControl)
#define STB_TEXTEDIT_K_WORDLEFT (STB_TEXTEDIT_K_LEFT | platform::ui::kEditControl)
#define STB_TEXTEDIT_K_WORDRIGHT (STB_TEXTEDIT_K_RIGHT | platform::ui::kEditControl)
#define STB_TEXTEDIT_K_DELETE (platform::ui::kEditKey | VK_DELETE)
#define STB_TEXTEDIT_K_BACKSPACE (platform::ui::kEditKey | VK_BACK)
#define STB_TEXTEDIT_K_UNDO (platform::ui::kEditKey | platform::ui::kEditControl | 'Z')
#define STB_TEXTEDIT_K_REDO (platform::ui::kEditKey | platform::ui::kEditControl | 'Y')
#define STB_TEXTEDIT_IMPLEMENTATION
#include "windows.h"
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_textedit.h>
#pragma GCC diagnostic pop

namespace platform::ui {
namespace {

// A character stb sees in place of an LF that is not part of a line break: shown as typed.
constexpr int kLoneLineFeed = 0xFFFF;
// What the line breaker sees in place of a lone CR or LF, so it breaks only at CR LF.
constexpr char16_t kUnbreakable = 0x00A0;

}  // namespace

EditBuffer::EditBuffer(bool singleLine) : singleLine_(singleLine) {
  stb_textedit_initialize_state(&state_, singleLine ? 1 : 0);
}

void EditBuffer::SetText(const std::u16string& text) {
  text_ = text;  // the limit applies to typing, not to text the program sets
  stb_textedit_initialize_state(&state_, singleLine_ ? 1 : 0);
}

void EditBuffer::SetSelection(int start, int end) {
  int n = length();
  if (start < 0) {
    state_.select_start = state_.select_end = state_.cursor;
    return;
  }
  if (end < 0 || end > n) end = n;
  start = std::min(start, n);
  state_.select_start = start;
  state_.select_end = end;
  state_.cursor = end;
  state_.has_preferred_x = 0;
  KeepOffLineBreaks(false);
}

bool EditBuffer::InsideLineBreak(int i) const {
  return i > 0 && i < length() && text_[static_cast<size_t>(i - 1)] == u'\r' && text_[static_cast<size_t>(i)] == u'\n';
}

void EditBuffer::KeepOffLineBreaks(bool forwards) {
  auto fix = [&](int& i) {
    if (InsideLineBreak(i)) i += forwards ? 1 : -1;
  };
  bool collapsed = state_.select_start == state_.select_end;
  fix(state_.cursor);
  fix(state_.select_start);
  fix(state_.select_end);
  if (collapsed) state_.select_start = state_.select_end = state_.cursor;
}

bool EditBuffer::Key(int key) {
  std::u16string before = text_;
  int vk = key & 0xFFFF;
  // A line break goes as a whole: widen a lone caret over the CR LF it would split.
  if (!HasSelection() && (vk == VK_BACK || vk == VK_DELETE)) {
    int c = state_.cursor;
    if (vk == VK_BACK && c >= 2 && text_[static_cast<size_t>(c - 2)] == u'\r' && text_[static_cast<size_t>(c - 1)] == u'\n') {
      state_.select_start = c - 2;
      state_.select_end = c;
    } else if (vk == VK_DELETE && c + 1 < length() && text_[static_cast<size_t>(c)] == u'\r' &&
               text_[static_cast<size_t>(c + 1)] == u'\n') {
      state_.select_start = c;
      state_.select_end = c + 2;
    }
  }
  stb_textedit_key(this, &state_, key);
  KeepOffLineBreaks(vk == VK_RIGHT || vk == VK_DOWN || vk == VK_NEXT || vk == VK_END);
  return text_ != before;
}

bool EditBuffer::Type(char16_t ch) {
  if (ch == u'\r') {
    if (singleLine_) return false;
    return Replace(u"\r\n");
  }
  std::u16string before = text_;
  stb_textedit_key(this, &state_, ch);
  return text_ != before;
}

bool EditBuffer::Replace(const std::u16string& text) {
  int room = limit_ - (length() - (selEnd() - selStart()));
  std::u16string cut = text.substr(0, static_cast<size_t>(std::clamp(room, 0, static_cast<int>(text.size()))));
  // A cut never leaves half a line break.
  if (cut.size() < text.size() && !cut.empty() && cut.back() == u'\r') cut.pop_back();
  if (cut.empty()) {
    if (!HasSelection()) return false;
    stb_textedit_cut(this, &state_);
    return true;
  }
  std::u16string before = text_;
  stb_textedit_paste(this, &state_, cut.data(), static_cast<int>(cut.size()));
  return text_ != before;
}

bool EditBuffer::Undo() {
  std::u16string before = text_;
  stb_text_undo(this, &state_);
  KeepOffLineBreaks(false);
  return text_ != before;
}

void EditBuffer::ForgetUndo() {
  state_.undostate = StbUndoState{};
  state_.undostate.undo_point = 0;
  state_.undostate.undo_char_point = 0;
  state_.undostate.redo_point = STB_TEXTEDIT_UNDOSTATECOUNT;
  state_.undostate.redo_char_point = STB_TEXTEDIT_UNDOCHARCOUNT;
}

void EditBuffer::Click(int x, int y) {
  stb_textedit_click(this, &state_, static_cast<float>(x), static_cast<float>(y));
  KeepOffLineBreaks(false);
}

void EditBuffer::Drag(int x, int y) {
  stb_textedit_drag(this, &state_, static_cast<float>(x), static_cast<float>(y));
  KeepOffLineBreaks(false);
}

void EditBuffer::Layout(const Measure& measure, int width, int lineHeight, const std::u16string& composition) {
  lineHeight_ = std::max(1, lineHeight);
  shown_ = text_;
  if (!composition.empty()) shown_.insert(static_cast<size_t>(caret()), composition);
  advances_ = measure(shown_);
  advances_.resize(shown_.size(), 0);
  std::u16string breakable = shown_;
  for (size_t i = 0; i < breakable.size(); ++i) {
    bool crlf = (breakable[i] == u'\r' && i + 1 < breakable.size() && shown_[i + 1] == u'\n') ||
                (breakable[i] == u'\n' && i > 0 && shown_[i - 1] == u'\r');
    if (crlf) advances_[i] = 0;
    else if (breakable[i] == u'\r' || breakable[i] == u'\n') breakable[i] = kUnbreakable;
  }
  gdi::BreakOptions options;
  options.singleLine = singleLine_;
  options.wordBreak = !singleLine_;
  options.breakWords = true;
  options.maxWidth = std::max(1, width);
  std::vector<gdi::TextLine> lines = gdi::BreakLines(breakable, advances_, options);
  rows_.clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    int next = i + 1 < lines.size() ? lines[i + 1].start : static_cast<int>(shown_.size());
    rows_.push_back(EditRow{lines[i].start, lines[i].end, next});
  }
  // After a final line break the caret stands on a new, empty row.
  size_t n = shown_.size();
  if (!singleLine_ && n >= 2 && shown_[n - 2] == u'\r' && shown_[n - 1] == u'\n')
    rows_.push_back(EditRow{static_cast<int>(n), static_cast<int>(n), static_cast<int>(n)});
  if (rows_.empty()) rows_.push_back(EditRow{});
}

int EditBuffer::RowOf(int index) const {
  // The last row whose start is at or before the index; a caret at a wrap belongs to the next row.
  auto it = std::upper_bound(rows_.begin(), rows_.end(), index, [](int i, const EditRow& r) { return i < r.start; });
  int row = static_cast<int>(it - rows_.begin()) - 1;
  return std::max(0, row);
}

int EditBuffer::XOf(int index) const {
  const EditRow& r = rows_[static_cast<size_t>(RowOf(index))];
  int x = 0;
  for (int i = r.start; i < index && i < static_cast<int>(advances_.size()); ++i) x += advances_[static_cast<size_t>(i)];
  return x;
}

void EditBuffer::LayoutRow(StbTexteditRow* row, int start) const {
  const EditRow& r = rows_[static_cast<size_t>(RowOf(start))];
  int end = std::max(r.next, start);
  row->x0 = 0;
  row->x1 = static_cast<float>(gdi::SpanWidth(advances_, start, std::min(r.drawnEnd, static_cast<int>(advances_.size()))));
  row->baseline_y_delta = static_cast<float>(lineHeight_);
  row->ymin = 0;
  row->ymax = static_cast<float>(lineHeight_);
  row->num_chars = end - start;
  if (row->num_chars <= 0 && start < length()) row->num_chars = length() - start;
}

float EditBuffer::CharWidth(int index) const {
  if (index < 0 || index >= static_cast<int>(advances_.size())) return 0;
  return static_cast<float>(advances_[static_cast<size_t>(index)]);
}

int EditBuffer::CharForEditor(int index) const {
  char16_t c = text_[static_cast<size_t>(index)];
  if (c == u'\n' && !(index > 0 && text_[static_cast<size_t>(index - 1)] == u'\r')) return kLoneLineFeed;
  return c;
}

void EditBuffer::DeleteChars(int at, int count) { text_.erase(static_cast<size_t>(at), static_cast<size_t>(count)); }

bool EditBuffer::InsertChars(int at, const char16_t* chars, int count) {
  if (length() + count > limit_) return false;
  text_.insert(static_cast<size_t>(at), chars, static_cast<size_t>(count));
  return true;
}

}  // namespace platform::ui
