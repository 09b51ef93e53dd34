// The system clock value: HKLM "System\State\DateTime" "Time", a REG_BINARY FILETIME (8 bytes)
// of the platform clock's local time, cut to the minute. Watchers (the lock screen's clock)
// get a change notification once a minute.
#pragma once

namespace platform::device {

// Writes the value if the minute differs from the last one written by this program (or if
// nothing was written yet). True when it wrote.
bool RefreshSystemClockValue();
// Writes it now and keeps it current from an idle poller of the UI loop.
void StartSystemClockValue();

}  // namespace platform::device
