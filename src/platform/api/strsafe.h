// Bounded string copies and formatting, as the system's safe-string helpers behave.
#pragma once
#include "windef.h"

#define STRSAFE_E_INSUFFICIENT_BUFFER static_cast<HRESULT>(0x8007007A)

// Copies at most cchDest - 1 characters and always terminates; a cut copy returns the
// insufficient-buffer status but keeps the truncated text, as the system's helper does.
HRESULT StringCchCopyW(LPWSTR dest, size_t cchDest, LPCWSTR src);
HRESULT StringCchCopyNW(LPWSTR dest, size_t cchDest, LPCWSTR src, size_t cchToCopy);
HRESULT StringCchCatW(LPWSTR dest, size_t cchDest, LPCWSTR src);
HRESULT StringCchLengthW(LPCWSTR s, size_t cchMax, size_t* length);
// printf-style formatting for %d %u %x %X %c %s %ls %% with flags 0 and -, width and precision.
// %s takes a wide string (LPCWSTR), as in the system's wide formatter.
HRESULT StringCchPrintfW(LPWSTR dest, size_t cchDest, LPCWSTR format, ...);
int wsprintfW(LPWSTR dest, LPCWSTR format, ...);  // no bound: the caller's buffer must be large enough

size_t wcslen16(LPCWSTR s);
int lstrlenW(LPCWSTR s);
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);  // case-insensitive for ASCII letters
int _wcsicmp(LPCWSTR a, LPCWSTR b);
int _wcsnicmp(LPCWSTR a, LPCWSTR b, size_t n);
