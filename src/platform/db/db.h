// The database room as other rooms and tests see it.
#pragma once
#include "windbase.h"

namespace platform::db {

// Database handles live in this room's own table. CloseHandle (device room) passes handles it
// does not own here; false means `handle` is not an open database handle.
bool IsDatabaseHandle(HANDLE handle);
bool CloseDatabaseHandle(HANDLE handle);

// Looks for records created, changed or deleted since the last look (by this process or any
// other) and posts WM_DBNOTIFICATION to the windows that asked. Installed as an idle poller of
// the UI loop when the first volume is mounted; tests may call it directly.
void PollChanges();

// How often the volume calls really did work, so callers can check that repeated calls don't.
struct CallCounts {
  int volumesOpened = 0;  // files actually opened by CeMountDBVolEx (not repeat mounts)
  int lcidChanges = 0;    // CeChangeDatabaseLCID calls that took effect
};
CallCounts Counts();

// The locale a mounted volume was last given; 0 when unknown or not mounted.
DWORD VolumeLcid(const CEGUID& guid);

// Forgets every mounted volume and open handle of this process (tests start each case afresh).
void UnmountAll();

}  // namespace platform::db
