// Local heap and interlocked counters.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

#include "winbase.h"

namespace {
// Each block carries its size in front so LocalSize and LocalReAlloc work.
struct BlockHeader {
  size_t size;
  size_t pad;
};
}  // namespace

HLOCAL LocalAlloc(UINT flags, size_t bytes) {
  auto* h = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + (bytes ? bytes : 1)));
  if (!h) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  h->size = bytes;
  if (flags & LMEM_ZEROINIT) std::memset(h + 1, 0, bytes);
  return h + 1;
}

HLOCAL LocalReAlloc(HLOCAL mem, size_t bytes, UINT flags) {
  if (!mem) return LocalAlloc(flags, bytes);
  auto* h = static_cast<BlockHeader*>(mem) - 1;
  size_t old = h->size;
  auto* n = static_cast<BlockHeader*>(std::realloc(h, sizeof(BlockHeader) + (bytes ? bytes : 1)));
  if (!n) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  n->size = bytes;
  if ((flags & LMEM_ZEROINIT) && bytes > old) std::memset(reinterpret_cast<char*>(n + 1) + old, 0, bytes - old);
  return n + 1;
}

HLOCAL LocalFree(HLOCAL mem) {
  if (mem) std::free(static_cast<BlockHeader*>(mem) - 1);
  return nullptr;
}

size_t LocalSize(HLOCAL mem) { return mem ? (static_cast<BlockHeader*>(mem) - 1)->size : 0; }

HANDLE GetProcessHeap() { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(1)); }

LONG InterlockedIncrement(LONG volatile* v) {
  return __atomic_add_fetch(const_cast<LONG*>(v), 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedDecrement(LONG volatile* v) {
  return __atomic_sub_fetch(const_cast<LONG*>(v), 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedExchange(LONG volatile* t, LONG v) {
  return __atomic_exchange_n(const_cast<LONG*>(t), v, __ATOMIC_SEQ_CST);
}

DWORD GetCurrentThreadId() {
  static std::atomic<DWORD> next{1};
  thread_local DWORD id = next++;
  return id;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
