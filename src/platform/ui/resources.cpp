#include "platform/ui/resources.h"

#include <algorithm>
#include <mutex>

namespace platform::ui {
namespace {

struct Registry {
  std::mutex mutex;
  std::shared_ptr<const ResourceSet> program = std::make_shared<ResourceSet>();
  std::map<HMODULE, std::shared_ptr<const ResourceSet>> modules;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void SetProgramResources(std::shared_ptr<const ResourceSet> set) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.program = set ? std::move(set) : std::make_shared<ResourceSet>();
}

void SetModuleResources(HMODULE module, std::shared_ptr<const ResourceSet> set) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (set)
    r.modules[module] = std::move(set);
  else
    r.modules.erase(module);
}

std::shared_ptr<const ResourceSet> ResourcesFor(HINSTANCE instance) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (instance) {
    auto it = r.modules.find(instance);
    if (it != r.modules.end()) return it->second;
  }
  return r.program;
}

bool ResourceOrdinal(LPCWSTR name, WORD* id) {
  if (!name || !IS_INTRESOURCE(name)) return false;
  *id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  return *id != 0;
}

}  // namespace platform::ui

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int cchBufferMax) {
  if (!buffer || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto set = platform::ui::ResourcesFor(instance);
  auto it = id <= 0xFFFF ? set->strings.find(static_cast<WORD>(id)) : set->strings.end();
  if (it == set->strings.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const std::u16string& text = it->second;
  if (cchBufferMax == 0) {
    // The caller gets a pointer into the resource itself.
    *reinterpret_cast<LPCWSTR*>(buffer) = text.c_str();
    return static_cast<int>(text.size());
  }
  int n = std::min<int>(static_cast<int>(text.size()), cchBufferMax - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return n;
}
