// Resource libraries loaded as data files ("Parlores.dll") and bitmaps read from them.
#pragma once
#include "windef.h"

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002

#define RT_BITMAP MAKEINTRESOURCEW(2)

#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126L
#endif
#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif
#ifndef ERROR_RESOURCE_DATA_NOT_FOUND
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#endif

// A bare file name is looked for in the program's directory (\Program Files\Parlo); a name with
// a backslash is a phone path. Only data-file loading exists: no code is ever run, so the flags
// are accepted as given. A missing file fails with ERROR_MOD_NOT_FOUND, a file that is not a
// resource container with ERROR_BAD_EXE_FORMAT.
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);
// A new bitmap (the caller deletes it with DeleteObject), or NULL when the library has no such
// bitmap or its data are damaged.
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR bitmapName);
