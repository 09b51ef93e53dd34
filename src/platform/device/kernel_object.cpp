#include "platform/device/kernel_object.h"

#include "winbase.h"

namespace platform::device {

HandleTable<KernelObject>& KernelHandles() {
  static HandleTable<KernelObject> table(kTagKernel);
  return table;
}

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object) {
  uint32_t h = KernelHandles().Add(std::move(object));
  if (!h) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return ToHandle<HANDLE>(h);
}

}  // namespace platform::device

using platform::device::KernelHandles;

BOOL CloseHandle(HANDLE object) {
  auto removed = KernelHandles().Remove(platform::FromHandle(object));
  if (!removed) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  removed->OnClose();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  auto obj = KernelHandles().Get(platform::FromHandle(object));
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return obj->Wait(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
