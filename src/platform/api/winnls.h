// Code pages: text between UTF-16 and the single- and double-byte code pages. The phone is
// Korean, so its ANSI code page (CP_ACP) is 949, the Unified Hangul Code.
#pragma once
#include "windef.h"

#define CP_ACP 0
#define CP_UTF8 65001

// As the system does: `wideChars` -1 converts up to and with the terminator; `multiBytes` 0 asks
// for the size needed; a buffer too small gives 0 with ERROR_INSUFFICIENT_BUFFER. A character the
// code page lacks becomes `defaultChar` (else '?') and sets *usedDefaultChar (not for CP_UTF8,
// which takes neither). Code pages other than CP_ACP, 949 and CP_UTF8: 0, ERROR_INVALID_PARAMETER.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideChars, LPSTR multi, int multiBytes,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);
// The other way; a byte sequence that is no character becomes U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multi, int multiBytes, LPWSTR wide, int wideChars);
