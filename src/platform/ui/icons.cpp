// Icons from resources, drawn pixel by pixel with their alpha so any DC can take them.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/ui/ui_objects.h"

namespace platform::ui {
namespace {

// LoadIconW hands out one shared handle per resource, as the system does.
struct IconCache {
  std::mutex mutex;
  std::map<std::pair<const ResourceSet*, WORD>, std::pair<std::shared_ptr<const ResourceSet>, HICON>> loaded;
};

IconCache& Cache() {
  static IconCache cache;
  return cache;
}

COLORREF Blend(COLORREF under, uint32_t argb) {
  uint32_t a = argb >> 24;
  auto mix = [a](uint32_t src, uint32_t dst) { return (src * a + dst * (255 - a) + 127) / 255; };
  uint32_t r = mix((argb >> 16) & 0xFF, GetRValue(under));
  uint32_t g = mix((argb >> 8) & 0xFF, GetGValue(under));
  uint32_t b = mix(argb & 0xFF, GetBValue(under));
  return RGB(r, g, b);
}

}  // namespace
}  // namespace platform::ui

using namespace platform::ui;

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  WORD id = 0;
  if (!ResourceOrdinal(name, &id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto set = ResourcesFor(instance);
  auto it = set->icons.find(id);
  if (it == set->icons.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  IconCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto key = std::make_pair(set.get(), id);
  auto found = cache.loaded.find(key);
  if (found != cache.loaded.end() && FindIcon(found->second.second)) return found->second.second;
  auto icon = std::make_shared<Icon>();
  icon->image = it->second;
  icon->shared = true;
  HICON h = AddIcon(std::move(icon));
  cache.loaded[key] = {set, h};  // holding the set keeps the key's address from being reused
  return h;
}

BOOL DestroyIcon(HICON icon) {
  Icon* i = FindIcon(icon);
  if (!i) return FALSE;
  if (!i->shared) UiObjects().Remove(platform::FromHandle(icon));
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags) {
  Icon* i = FindIcon(icon);
  if (!i || !hdc) return FALSE;
  const IconImage& img = i->image;
  if (img.width <= 0 || img.height <= 0 ||
      img.argb.size() < static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
    return TRUE;  // a cursor without an image draws nothing
  if (cx <= 0) cx = img.width;
  if (cy <= 0) cy = img.height;
  for (int dy = 0; dy < cy; ++dy) {
    int sy = dy * img.height / cy;
    for (int dx = 0; dx < cx; ++dx) {
      int sx = dx * img.width / cx;
      uint32_t argb = img.argb[static_cast<size_t>(sy) * img.width + sx];
      if ((argb >> 24) == 0) continue;
      COLORREF under = (argb >> 24) == 255 ? 0 : GetPixel(hdc, x + dx, y + dy);
      if (under == CLR_INVALID) under = 0;
      SetPixel(hdc, x + dx, y + dy, Blend(under, argb));
    }
  }
  return TRUE;
}
