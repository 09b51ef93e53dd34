// The compose view's counter: bytes as the short-message service counts them, and the 80-byte
// pages they fill.
#pragma once
#include <string>
#include <string_view>

namespace compose {

inline constexpr int kPageBytes = 80;
// The first byte past one page: from here the user is offered the multimedia composer.
inline constexpr int kMmsQuestionBytes = kPageBytes + 1;

struct ComposeCount {
  int bytes = 0;
  int pages = 0;
};

// The fewest pages of 80 bytes that hold `bytes`.
int PageCount(int bytes);
// The text field's content plus `extra` bytes of a syllable still being composed.
ComposeCount CountComposed(std::u16string_view text, int extra);
// "%d자/%d쪽".
std::u16string CounterText(const ComposeCount& count);

}  // namespace compose
