// Zeroed memory for surface pixels. A program may keep a thousand small bitmaps (contact
// pictures); taking them from large blocks the kernel can back with huge pages makes filling
// them cost a few page faults instead of one for every 4 KiB.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform::gdi {

class PixelBlock {
 public:
  // `bytes` of zeroed memory; throws std::bad_alloc when there is none.
  explicit PixelBlock(size_t bytes);
  ~PixelBlock();
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;

  uint32_t* get() const { return data_; }

 private:
  uint32_t* data_ = nullptr;
  size_t size_ = 0;  // rounded size when pooled, 0 when from the C heap
};

}  // namespace platform::gdi
