// The resource library (Parlores.dll) as LoadLibraryExW and LoadBitmapW read it.
#include <cstdlib>
#include <vector>

#include "platform/resfile/container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace platform::resfile;
  auto container = Container::Parse(std::vector<uint8_t>(data, data + size));
  if (!container) return 0;
  for (const Entry& entry : container->entries()) {
    if (entry.offset > size || entry.size > size - entry.offset) std::abort();
    if (auto payload = container->Payload(entry); payload && payload->size() != entry.size) std::abort();
    if (entry.type != kTypeBitmap) continue;
    if (auto pixels = container->Bitmap(entry.id)) {
      if (pixels->width <= 0 || pixels->height <= 0 ||
          pixels->xrgb.size() != static_cast<size_t>(pixels->width) * pixels->height)
        std::abort();
    }
  }
  return 0;
}
