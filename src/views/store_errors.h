// Telling the user what the message store ran into.
#pragma once
#include <windows.h>

#include "store/store_error.h"

namespace parlo {

// Shows the error's text under "ERROR", owned by `owner`; nothing for an error with no text.
void ReportStoreError(HWND owner, StoreError error);

}  // namespace parlo
