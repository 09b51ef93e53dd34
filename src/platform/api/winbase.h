// Kernel services: time, memory, interlocked counters. Files and waiting are declared in
// winbase_io.h, named mutexes in winbase_mutex.h, threads, processes and modules in
// winbase_process.h.
#pragma once
#include "windef.h"

DWORD GetTickCount();
void GetLocalTime(LPSYSTEMTIME st);
void GetSystemTime(LPSYSTEMTIME st);
// On the UI thread under the virtual clock, Sleep moves the clock instead of waiting.
void Sleep(DWORD ms);
BOOL FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st);
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft);
// Automation date: days since 30 December 1899; milliseconds are dropped, as the system does.
int SystemTimeToVariantTime(LPSYSTEMTIME st, double* date);
int VariantTimeToSystemTime(double date, LPSYSTEMTIME st);

LONG InterlockedIncrement(LONG volatile* value);
LONG InterlockedDecrement(LONG volatile* value);
LONG InterlockedExchange(LONG volatile* target, LONG value);

#define LMEM_FIXED 0
#define LMEM_ZEROINIT 0x40
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
HLOCAL LocalAlloc(UINT flags, size_t bytes);
HLOCAL LocalReAlloc(HLOCAL mem, size_t bytes, UINT flags);
HLOCAL LocalFree(HLOCAL mem);
size_t LocalSize(HLOCAL mem);
HANDLE GetProcessHeap();

DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

#include "winbase_io.h"
#include "winbase_mutex.h"
#include "winbase_process.h"
