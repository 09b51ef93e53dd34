// Named mutexes: a lock shared by every program on the device (a lock file in DIR/run).
#pragma once
#include "winbase_io.h"

// A second CreateMutexW of a held name still returns a handle, with ERROR_ALREADY_EXISTS.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);
