// Opened registry keys: HKEY values of the key table, or the predefined roots.
#pragma once
#include "platform/device/registry/registry_store.h"

namespace platform::device::registry {

struct OpenKey {
  Root root = 0;
  Name path;
};

// Resolves an HKEY (opened key or predefined root) plus an optional subkey path.
// Returns ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER (overlong path) or ERROR_SUCCESS.
LONG Resolve(HKEY key, const char16_t* subKey, OpenKey* out);

}  // namespace platform::device::registry
