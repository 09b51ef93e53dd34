#include "platform/gdi/surface.h"

#include <new>

namespace platform::gdi {

Surface::Surface(int width, int height, bool bottomUp)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1),
      storage_(static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width_) * height_, sizeof(uint32_t)))) {
  if (!storage_) throw std::bad_alloc();
  std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(width_) * 4;
  auto* base = reinterpret_cast<uint8_t*>(storage_.get());
  if (bottomUp) {
    origin_ = base + rowBytes * (height_ - 1);
    stride_ = -rowBytes;
  } else {
    origin_ = base;
    stride_ = rowBytes;
  }
}

}  // namespace platform::gdi
