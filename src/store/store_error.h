// What a store operation ran into. The store only reports it; the frame or the view that asked
// shows it to the user.
#pragma once
#include <windows.h>

enum class StoreError {
  kNone,
  kRecordMissing,     // nothing to act on: said to nobody
  kDeleteFailed,      // one record could not be deleted
  kDeleteAllFailed,   // deleting everything left records behind
  kStateKeyFailed,    // the unread count's registry key could not be opened or made
  kStateValueFailed,  // the unread count could not be written
};

// The text shown for the error under the caption "ERROR"; null when there is nothing to show.
const WCHAR* StoreErrorText(StoreError error);

// The text shown when a message database cannot be opened, for its system error code.
const WCHAR* OpenErrorText(DWORD error);
