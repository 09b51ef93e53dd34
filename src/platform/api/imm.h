// The input method manager (imm): input contexts, conversion status and composition strings.
#pragma once
#include "windef.h"

// ImmGetCompositionStringW: which string; the same bits arrive in WM_IME_COMPOSITION's lParam.
#define GCS_COMPREADSTR 0x0001
#define GCS_COMPREADATTR 0x0002
#define GCS_COMPREADCLAUSE 0x0004
#define GCS_COMPSTR 0x0008
#define GCS_COMPATTR 0x0010
#define GCS_COMPCLAUSE 0x0020
#define GCS_CURSORPOS 0x0080
#define GCS_DELTASTART 0x0100
#define GCS_RESULTREADSTR 0x0200
#define GCS_RESULTREADCLAUSE 0x0400
#define GCS_RESULTSTR 0x0800
#define GCS_RESULTCLAUSE 0x1000

// Conversion modes: native is Hangul on a Korean phone, anything else types Latin letters.
#define IME_CMODE_ALPHANUMERIC 0x0000
#define IME_CMODE_NATIVE 0x0001
#define IME_CMODE_HANGEUL IME_CMODE_NATIVE
#define IME_CMODE_HANGUL IME_CMODE_NATIVE
#define IME_CMODE_KATAKANA 0x0002
#define IME_CMODE_FULLSHAPE 0x0008
#define IME_SMODE_NONE 0x0000

// ImmNotifyIME
#define NI_COMPOSITIONSTR 0x0015
#define CPS_COMPLETE 0x0001
#define CPS_CONVERT 0x0002
#define CPS_REVERT 0x0003
#define CPS_CANCEL 0x0004

// WM_IME_NOTIFY
#define IMN_SETCONVERSIONMODE 0x0006

#define IMM_ERROR_NODATA (-1)
#define IMM_ERROR_GENERAL (-2)

HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC himc);
BOOL ImmGetConversionStatus(HIMC himc, LPDWORD conversion, LPDWORD sentence);
BOOL ImmSetConversionStatus(HIMC himc, DWORD conversion, DWORD sentence);
// Bytes copied (or needed, when `bufferBytes` is 0); IMM_ERROR_GENERAL for a bad context or index.
LONG ImmGetCompositionStringW(HIMC himc, DWORD index, LPVOID buffer, DWORD bufferBytes);
BOOL ImmNotifyIME(HIMC himc, DWORD action, DWORD index, DWORD value);
