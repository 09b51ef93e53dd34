// The two clean-ups applied to stored text while reading: line wrapping and number trimming.
#pragma once
#include <string>
#include <string_view>

// Breaks text into lines of at most 16 columns (a character above U+0080 takes two), never
// splitting a wide character across the edge. The result is at most 259 characters.
std::u16string WrapText(std::u16string_view text);

// Removes leading and trailing spaces (U+0020 only).
std::u16string TrimNumber(std::u16string_view number);
