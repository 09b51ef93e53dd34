// Windows of other processes on the same device. The window manager hands every call on a
// remote handle to the implementation registered here (the single-instance socket, device/).
#pragma once
#include "windef.h"

namespace platform::wm {

class RemoteWindows {
 public:
  virtual ~RemoteWindows() = default;
  // Looks for a top-level window of class `className` in another running program.
  virtual HWND Find(LPCWSTR className, LPCWSTR windowName) = 0;
  virtual bool IsRemote(HWND hwnd) = 0;
  // Only the messages a program hands over may cross; anything else fails (returns 0).
  virtual LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual BOOL Show(HWND hwnd, int command) = 0;
  virtual BOOL SetForeground(HWND hwnd) = 0;
};

void SetRemoteWindows(RemoteWindows* remote);
RemoteWindows* GetRemoteWindows();

}  // namespace platform::wm
