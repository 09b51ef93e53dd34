// One Parlo per device: a second launch hands its request to the running frame and ends.
#pragma once
#include <windows.h>

// Negative: the check failed (the process exits with it). 1: the request was handed to a
// running instance. 0: this process is the instance (its mutex stays open).
int CheckSingleInstance(HINSTANCE instance, LPCWSTR commandLine);

// The messages a second launch sends to the running frame for `commandLine`.
void HandOverCommandLine(HWND frame, LPCWSTR commandLine);
