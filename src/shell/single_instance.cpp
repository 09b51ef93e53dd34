#include "shell/single_instance.h"

#include "shell/command_line.h"
#include "views/view_mode.h"

namespace {
constexpr int kAttempts = 25;
constexpr DWORD kRetryPauseMs = 100;
}  // namespace

void HandOverCommandLine(HWND frame, LPCWSTR commandLine) {
  WCHAR number[kNumberChars] = {};
  switch (ParseCommandLine(commandLine, number)) {
    case VM_THREAD_FIRST:
      SendMessageW(frame, UM_SHOWTHREAD, 0, 0);
      break;
    case VM_COMPOSE:
      SendMessageW(frame, UM_SHOWCOMPOSE, COMPOSE_NEW, 0);
      break;
    case VM_COMPOSE_TO_NUMBER: {
      COPYDATASTRUCT data{COPYDATA_START_NUMBER, sizeof number, number};
      SendMessageW(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
      SendMessageW(frame, UM_SHOWCOMPOSE, COMPOSE_TO_START_NUMBER, 0);
      break;
    }
    default:
      break;
  }
}

int CheckSingleInstance(HINSTANCE instance, LPCWSTR commandLine) {
  WCHAR appName[260] = {};
  if (LoadStringW(instance, IDS_APP_NAME, appName, 260) <= 0 || !appName[0]) return E_FAIL;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, appName);
    if (!mutex) return GetLastError() == ERROR_INVALID_HANDLE ? E_INVALIDARG : E_FAIL;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return 0;
    CloseHandle(mutex);
    HWND frame = FindWindowW(appName, nullptr);
    if (!frame) {
      Sleep(kRetryPauseMs);
      continue;
    }
    HandOverCommandLine(frame, commandLine);
    ShowWindow(frame, SW_SHOW);
    // Bit 0 brings the window's owned windows forward with it.
    HWND withOwned = reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(frame) | 1);
    if (SetForegroundWindow(withOwned)) return 1;
  }
  return 0;
}
