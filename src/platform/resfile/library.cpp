// LoadLibraryExW / FreeLibrary / LoadBitmapW over the resource container.
#include <fstream>
#include <iterator>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/resfile/module_table.h"
#include "winbase_res.h"
#include "wingdi.h"

namespace platform::resfile {

HandleTable<ResourceModule>& ModuleHandles() {
  static HandleTable<ResourceModule> table(kTagModule);
  return table;
}

namespace {

// Windows file names ignore case; the host's do not, so look for a differently cased match.
std::optional<std::filesystem::path> FindInFolder(const std::filesystem::path& dir,
                                                  const std::u16string& name) {
  std::error_code ec;
  std::filesystem::path exact = dir / Utf16ToUtf8(name);
  if (std::filesystem::is_regular_file(exact, ec)) return exact;
  auto lower = [](std::u16string s) {
    for (auto& c : s)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
  };
  const std::u16string wanted = lower(name);
  for (const auto& item : std::filesystem::directory_iterator(dir, ec)) {
    if (lower(Utf8ToUtf16(item.path().filename().string())) == wanted && item.is_regular_file(ec))
      return item.path();
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> Resolve(const std::u16string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find(u'\\') != std::u16string::npos) {
    auto host = device::HostPath(name);
    std::error_code ec;
    if (host && std::filesystem::is_regular_file(*host, ec)) return host;
    return std::nullopt;
  }
  if (name.find(u'/') != std::u16string::npos) return std::nullopt;
  return FindInFolder(device::ProgramDir(), name);
}

std::u16string NameOf(LPCWSTR text) {
  std::u16string s;
  for (size_t i = 0; text[i] && i < 260; ++i) s.push_back(text[i]);
  return s;
}

}  // namespace
}  // namespace platform::resfile

using namespace platform::resfile;

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags) {
  if (!fileName || file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto path = Resolve(NameOf(fileName));
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::ifstream in(*path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto container = Container::Parse(std::move(bytes));
  if (!container) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  auto module = std::make_shared<ResourceModule>(ResourceModule{std::move(*container)});
  uint32_t handle = ModuleHandles().Add(std::move(module));
  if (!handle) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return platform::ToHandle<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE module) {
  if (!ModuleHandles().Remove(platform::FromHandle(module))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR bitmapName) {
  auto module = ModuleHandles().Get(platform::FromHandle(instance));
  if (!module) {
    SetLastError(instance ? ERROR_INVALID_HANDLE : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // Our containers only carry numbered bitmaps.
  if (!bitmapName || !IS_INTRESOURCE(bitmapName)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const uint16_t id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(bitmapName));
  if (!module->container.Find(kTypeBitmap, id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto pixels = module->container.Bitmap(id);
  if (!pixels) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return CreateBitmap(pixels->width, pixels->height, 1, 32, pixels->xrgb.data());
}
