// Handing a message over to the phone's multimedia composer, "\windows\MMSC.exe".
#pragma once
#include <windows.h>

namespace parlo {

inline constexpr size_t kMmsCommandLineChars = 512;  // 511 characters and the terminator

// The composer's command line: both arguments in double quotes, one space apart, cut at 511
// characters.
void MmsCommandLine(const WCHAR* first, const WCHAR* second, WCHAR (&out)[kMmsCommandLineChars]);

// Starts the composer with the two arguments. With `process`, the caller gets the process
// handle to close; otherwise it is closed here.
bool LaunchMmsComposer(const WCHAR* first, const WCHAR* second, HANDLE* process = nullptr);

}  // namespace parlo
