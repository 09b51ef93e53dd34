// The shell's notifications, kept beside the registry in DIR/registry.db so that every program
// on the device (parlo-device included) sees the same set.
#pragma once
#include <string>
#include <vector>

#include "windef.h"

namespace platform::device {

struct ShellNotification {
  std::string clsid;  // "{592A0D12-F0AC-411B-A175-8B348238F1FD}", upper case
  DWORD id = 0;
  int priority = 0;
  DWORD duration = 0;  // seconds
  DWORD flags = 0;
  std::string title;  // UTF-8
  std::string html;   // UTF-8
  std::string time;   // local time of the platform clock when added, "YYYY-MM-DD HH:MM:SS"
};

std::string ClsidToString(const CLSID& clsid);
// Accepts the braced form, any letter case; false for anything else.
bool ClsidFromString(std::string_view text, CLSID* out);

// Registry status codes. Adding an existing class and id replaces it (it keeps its place).
LONG AddShellNotification(const ShellNotification& n);
LONG RemoveShellNotification(const CLSID& clsid, DWORD id, bool* found);
// Oldest first.
LONG ListShellNotifications(std::vector<ShellNotification>* out);

}  // namespace platform::device
