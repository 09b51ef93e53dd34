#include "views/store_errors.h"

namespace parlo {

void ReportStoreError(HWND owner, StoreError error) {
  if (const WCHAR* text = StoreErrorText(error)) MessageBoxW(owner, text, u"ERROR", MB_OK);
}

}  // namespace parlo
