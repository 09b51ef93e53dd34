// How DrawTextW cuts text into lines: CR, LF and CR LF end a line; with word breaking, lines
// wrap after spaces and between two wide characters (Hangul syllables, CJK), and a word is cut
// inside only when the edit-control style asks for it.
#pragma once
#include <string>
#include <vector>

namespace platform::gdi {

struct TextLine {
  int start = 0;  // [start, end) of the text drawn on this line
  int end = 0;
  int width = 0;  // pixels, trailing spaces left out
};

struct BreakOptions {
  bool singleLine = false;
  bool wordBreak = false;
  bool breakWords = false;  // cut a word too long for a line (edit-control behaviour)
  int maxWidth = 0;
};

// `advances` holds one width per UTF-16 unit of `text`.
std::vector<TextLine> BreakLines(const std::u16string& text, const std::vector<int>& advances,
                                 const BreakOptions& options);

// Width of [start, end).
int SpanWidth(const std::vector<int>& advances, int start, int end);

// Hangul, CJK and full-width characters: a line may break between two of them.
bool IsWide(char16_t c);

// Removes the '&' prefix marks ("&&" stays as one '&').
std::u16string StripPrefixes(const std::u16string& text);

}  // namespace platform::gdi
