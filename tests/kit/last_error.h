// A call's result together with the error it left, so that both are checked in one comparison:
// EXPECT_EQ(WithError(DeleteFileW(path)), std::tuple(FALSE, DWORD(ERROR_FILE_NOT_FOUND))).
#pragma once
#include <tuple>

#include "windows.h"

namespace parlo_test {

template <typename T>
std::tuple<T, DWORD> WithError(T result) {
  return {result, GetLastError()};
}

}  // namespace parlo_test
