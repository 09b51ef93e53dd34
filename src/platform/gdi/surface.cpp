#include "platform/gdi/surface.h"

#include <cstdint>
#include <new>

namespace platform::gdi {
namespace {

size_t PixelBytes(int width, int height) {
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels > SIZE_MAX / sizeof(uint32_t)) throw std::bad_alloc();
  return pixels * sizeof(uint32_t);
}

}  // namespace

Surface::Surface(int width, int height, bool bottomUp)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1), storage_(PixelBytes(width_, height_)) {
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
