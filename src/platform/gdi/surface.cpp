#include "platform/gdi/surface.h"

namespace platform::gdi {

Surface::Surface(int width, int height, bool bottomUp)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1),
      storage_(static_cast<size_t>(width_) * height_, 0u) {
  std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(width_) * 4;
  auto* base = reinterpret_cast<uint8_t*>(storage_.data());
  if (bottomUp) {
    origin_ = base + rowBytes * (height_ - 1);
    stride_ = -rowBytes;
  } else {
    origin_ = base;
    stride_ = rowBytes;
  }
}

}  // namespace platform::gdi
