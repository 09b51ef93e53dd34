// The simulator around the program: options, device root, clock, display, automation. The
// program's entry point runs inside it as it would on the phone.
#pragma once
#include "windef.h"

namespace platform::automation {

using ProgramEntry = int (*)(HINSTANCE instance, LPCWSTR commandLine, int showCommand);

// Returns the process exit code: 0 for a normal end, a request handed to the running
// instance, or a screenshot written; 2 for bad options or no display; 1 for any other
// failure, said in one line on stderr. Automation's quit still answers the program's own value.
int RunProgram(int argc, char** argv, ProgramEntry entry);

}  // namespace platform::automation
