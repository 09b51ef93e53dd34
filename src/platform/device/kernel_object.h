// Kernel objects behind HANDLE values: one table for files, mutexes, threads, processes and
// registry notifications, so CloseHandle and WaitForSingleObject work on all of them.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/base/handle_table.h"
#include "windef.h"

namespace platform::device {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Waits until the object signals; false on timeout. Objects that never signal return false.
  virtual bool Wait(uint32_t ms) { return false; }
  // Called when the last handle closes, before the object is released.
  virtual void OnClose() {}
};

HandleTable<KernelObject>& KernelHandles();

// Adds the object; nullptr when the table is full (last error set).
HANDLE AddKernelObject(std::shared_ptr<KernelObject> object);

template <typename T>
std::shared_ptr<T> GetKernelObject(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(KernelHandles().Get(FromHandle(handle)));
}

}  // namespace platform::device
