#include "platform/contacts/phone_number.h"

namespace platform::contacts {

std::u16string CanonicalPhoneNumber(std::u16string_view number) {
  std::u16string digits;
  bool plus = false;
  for (char16_t c : number) {
    if (c >= u'0' && c <= u'9') digits.push_back(c);
    else if (c == u'+' && digits.empty()) plus = true;
  }
  if (digits.empty()) return {};
  bool international = plus;
  if (!plus && digits.size() > 2 && digits.compare(0, 2, u"00") == 0) {
    international = true;
    digits.erase(0, 2);
  }
  if (!international) return digits;
  if (digits.size() > 2 && digits.compare(0, 2, u"82") == 0) {
    std::u16string national = digits.substr(2);
    if (national.empty() || national[0] != u'0') national.insert(national.begin(), u'0');
    return national;
  }
  return u"+" + digits;
}

bool SamePhoneNumber(std::u16string_view a, std::u16string_view b) {
  std::u16string ca = CanonicalPhoneNumber(a);
  return !ca.empty() && ca == CanonicalPhoneNumber(b);
}

}  // namespace platform::contacts
