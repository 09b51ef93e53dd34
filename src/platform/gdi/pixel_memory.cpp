#include "platform/gdi/pixel_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace platform::gdi {
namespace {

// Blocks between these sizes are pooled: smaller ones (a memory DC's 1 x 1 bitmap) cost no page
// faults worth saving, and larger surfaces (the screen, off-screen images) are few.
constexpr size_t kPooledMin = 16 * 1024;
constexpr size_t kPooledMax = 256 * 1024;
constexpr size_t kGrain = 1024;
constexpr size_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kChunk = 4 * kHugePage;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPoolEnabled = false;  // the sanitizer must see every block's bounds
#else
constexpr bool kPoolEnabled = true;
#endif

// Chunks are kept for the life of the process; freed blocks wait, by size, for the next surface
// of that size.
class Pool {
 public:
  void* Take(size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = free_.find(size);
    if (it != free_.end() && !it->second.empty()) {
      void* p = it->second.back();
      it->second.pop_back();
      std::memset(p, 0, size);
      return p;
    }
    if (left_ < size && !NewChunk()) return nullptr;
    void* p = next_;  // never handed out before: still zero from the kernel
    next_ += size;
    left_ -= size;
    return p;
  }

  void Give(void* p, size_t size) {
    std::lock_guard<std::mutex> lock(mutex_);
    free_[size].push_back(p);
  }

 private:
  bool NewChunk() {
    void* raw = mmap(nullptr, kChunk + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return false;
    // Aligned to a huge page so that the whole chunk can be backed by them.
    auto start = (reinterpret_cast<uintptr_t>(raw) + kHugePage - 1) & ~(kHugePage - 1);
    next_ = reinterpret_cast<char*>(start);
    left_ = kChunk;
    madvise(next_, kChunk, MADV_HUGEPAGE);  // a hint: without huge pages it just does nothing
    return true;
  }

  std::mutex mutex_;
  char* next_ = nullptr;
  size_t left_ = 0;
  std::unordered_map<size_t, std::vector<void*>> free_;
};

Pool& ThePool() {
  static Pool* pool = new Pool();  // never destroyed: surfaces may outlive static destructors
  return *pool;
}

}  // namespace

PixelBlock::PixelBlock(size_t bytes) {
  if (kPoolEnabled && bytes >= kPooledMin && bytes <= kPooledMax) {
    size_t rounded = (bytes + kGrain - 1) / kGrain * kGrain;
    if (void* p = ThePool().Take(rounded)) {
      data_ = static_cast<uint32_t*>(p);
      size_ = rounded;
      return;
    }
  }
  data_ = static_cast<uint32_t*>(std::calloc(bytes ? bytes : 1, 1));
  if (!data_) throw std::bad_alloc();
}

PixelBlock::~PixelBlock() {
  if (size_) ThePool().Give(data_, size_);
  else std::free(data_);
}

}  // namespace platform::gdi
