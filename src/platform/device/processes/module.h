// The program's own module: its instance handle and its phone path.
#pragma once
#include "windef.h"

namespace platform::device {

// The instance handle GetModuleHandleW(NULL) returns: a module-table value no loaded library
// gets (the last index of the table), so resource code can tell the program from a library.
HINSTANCE ProgramInstance();
inline constexpr const char16_t* kProgramPath = u"\\Program Files\\Parlo\\Parlo.exe";

}  // namespace platform::device
