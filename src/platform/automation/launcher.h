// The simulator around the program: options, device root, clock, display, automation. The
// program's entry point runs inside it as it would on the phone.
#pragma once
#include "windef.h"

namespace platform::automation {

using ProgramEntry = int (*)(HINSTANCE instance, LPCWSTR commandLine, int showCommand);

// Returns the process exit code: 2 for bad options or no display, else the program's own
// (0 after --screenshot wrote its file).
int RunProgram(int argc, char** argv, ProgramEntry entry);

}  // namespace platform::automation
