// The start command line: "-new", "-recent", "-contacts", or "-new"/"1" and a number.
#pragma once
#include <windows.h>

#include "views/view_mode.h"

// Size in characters of every number buffer the parser fills.
constexpr int kNumberChars = 260;

// Returns the start mode; for mode 4 the number goes into `number` (kNumberChars characters,
// cut silently). `number` is left alone for the other modes.
ViewMode ParseCommandLine(LPCWSTR commandLine, WCHAR* number);
