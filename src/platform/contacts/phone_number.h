// When two phone numbers are the same number.
//
// The rule, as a user expects it:
//  - Formatting is ignored: only digits count, plus a leading '+' (spaces, dashes, dots,
//    parentheses and slashes are dropped).
//  - The phone lives in Korea (country code 82): a number written internationally, "+82 ..." or
//    "0082 ...", is the national number "0..." (a trunk "0" written after the country code, as in
//    "+82 (0)10", is not doubled). So +82 10-1234-5678 and 010-1234-5678 are one number.
//  - Other international numbers keep their country code and compare digit for digit.
//  - After that the numbers must be equal; a number is never matched by a part of another one,
//    and a number without any digit matches nothing.
#pragma once
#include <string>
#include <string_view>

namespace platform::contacts {

// The comparable form of a number under the rule above ("" when it has no digits).
std::u16string CanonicalPhoneNumber(std::u16string_view number);
bool SamePhoneNumber(std::u16string_view a, std::u16string_view b);

}  // namespace platform::contacts
