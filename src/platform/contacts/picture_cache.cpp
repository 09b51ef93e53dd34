#include "platform/contacts/picture_cache.h"


#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/base/device_root.h"
#include "platform/contacts/regular_file.h"

namespace platform::contacts {
namespace {

const char kMagic[8] = {'P', 'A', 'R', 'L', 'O', 'P', 'I', '1'};
constexpr size_t kCap = size_t{256} << 20;
constexpr int kMaxThumb = 4096;

struct Entry {
  int width = 0, height = 0;  // of the picture itself
  std::map<std::pair<int, int>, std::vector<uint8_t>> thumbnails;
  bool used = false;
};

struct State {
  std::mutex mutex;
  std::filesystem::path root;
  bool loaded = false;
  bool changed = false;
  std::map<uint64_t, Entry> entries;
};

State& TheState() {
  static State state;
  return state;
}

std::filesystem::path CacheFile() { return device::ProgramDir() / "allcontacts.pic"; }

template <typename T>
bool Take(std::string_view* in, T* value) {
  if (in->size() < sizeof(T)) return false;
  std::memcpy(value, in->data(), sizeof(T));
  in->remove_prefix(sizeof(T));
  return true;
}

template <typename T>
void Append(std::string* out, T value) {
  out->append(reinterpret_cast<const char*>(&value), sizeof(T));
}

// Reads the file once per device; whatever does not add up ends the reading there.
void LoadLocked(State& s) {
  if (s.loaded && s.root == device::Root()) return;
  s.loaded = true;
  s.root = device::Root();
  s.changed = false;
  s.entries.clear();
  std::string bytes, error;
  if (ReadRegularFile(CacheFile(), kCap, &bytes, &error) != FileRead::kOk) return;
  std::string_view in(bytes);
  if (in.size() < sizeof kMagic || std::memcmp(in.data(), kMagic, sizeof kMagic) != 0) return;
  in.remove_prefix(sizeof kMagic);
  for (;;) {
    uint64_t digest = 0;
    int32_t w = 0, h = 0, tw = 0, th = 0;
    if (!Take(&in, &digest) || !Take(&in, &w) || !Take(&in, &h) || !Take(&in, &tw) || !Take(&in, &th)) break;
    if (w <= 0 || h <= 0 || tw <= 0 || th <= 0 || tw > kMaxThumb || th > kMaxThumb) break;
    size_t size = static_cast<size_t>(tw) * th * 4;
    if (in.size() < size) break;
    Entry& e = s.entries[digest];
    e.width = w;
    e.height = h;
    e.thumbnails[{tw, th}].assign(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(size));
    in.remove_prefix(size);
  }
}

}  // namespace

PictureCache& PictureCache::Instance() {
  static PictureCache cache;
  return cache;
}

bool PictureCache::Find(uint64_t digest, int* width, int* height) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadLocked(s);
  auto it = s.entries.find(digest);
  if (it == s.entries.end()) return false;
  *width = it->second.width;
  *height = it->second.height;
  return true;
}

bool PictureCache::Thumbnail(uint64_t digest, int width, int height, Pixels* out) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadLocked(s);
  auto it = s.entries.find(digest);
  if (it == s.entries.end()) return false;
  auto t = it->second.thumbnails.find({width, height});
  if (t == it->second.thumbnails.end()) return false;
  it->second.used = true;
  out->width = width;
  out->height = height;
  out->bgra = t->second;
  return true;
}

void PictureCache::Put(uint64_t digest, int width, int height, const Pixels& thumbnail) {
  if (thumbnail.width <= 0 || thumbnail.height <= 0 || thumbnail.width > kMaxThumb || thumbnail.height > kMaxThumb)
    return;
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadLocked(s);
  Entry& e = s.entries[digest];
  e.width = width;
  e.height = height;
  e.used = true;
  e.thumbnails[{thumbnail.width, thumbnail.height}] = thumbnail.bgra;
  s.changed = true;
}

void PictureCache::Save() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.loaded || !s.changed || s.root != device::Root()) return;
  s.changed = false;
  std::filesystem::path file = CacheFile();
  if (!ReplaceableFile(file)) return;
  std::string out(kMagic, sizeof kMagic);
  // Pictures no contact showed in this run are left out, so the file follows the book.
  for (const auto& [digest, e] : s.entries) {
    if (!e.used) continue;
    for (const auto& [size, bgra] : e.thumbnails) {
      Append<uint64_t>(&out, digest);
      Append<int32_t>(&out, e.width);
      Append<int32_t>(&out, e.height);
      Append<int32_t>(&out, size.first);
      Append<int32_t>(&out, size.second);
      out.append(reinterpret_cast<const char*>(bgra.data()), bgra.size());
    }
  }
  ReplaceFileAtomically(file, out);
}

}  // namespace platform::contacts
