// The program's entry point, as the phone calls it.
#pragma once
#include <windows.h>

// Single-instance check, COM, controls, module, the frame and its loop, then teardown.
// Returns the process exit code.
int ParloMain(HINSTANCE instance, LPCWSTR commandLine, int showCommand);
