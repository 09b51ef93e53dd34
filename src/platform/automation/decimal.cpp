// Numbers in commands are plain decimal: no sign but a minus where negatives make sense, no
// leading zeros (a leading zero reads as octal elsewhere), nothing after the digits.
#include <climits>

#include "platform/automation/commands.h"

namespace platform::automation {

bool ParseDecimal(const std::string& text, long min, long max, long* out) {
  size_t i = 0;
  bool negative = min < 0 && !text.empty() && text[0] == '-';
  if (negative) ++i;
  if (i == text.size() || (text[i] == '0' && (negative || text.size() > i + 1))) return false;
  long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    int digit = text[i] - '0';
    if (value > (LONG_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  if (negative) value = -value;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

}  // namespace platform::automation
