#include "platform/resfile/container.h"

#include <array>
#include <cstring>

namespace platform::resfile {
namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

uint32_t Crc32(std::span<const uint8_t> bytes) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (uint8_t b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::optional<Container> Container::Parse(std::vector<uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0) return std::nullopt;
  const uint8_t* p = bytes.data();
  if (Get16(p + 4) != kVersion) return std::nullopt;
  const size_t count = Get16(p + 6);
  // The recorded size catches a truncated or padded copy before any payload is looked at.
  if (Get32(p + 8) != bytes.size()) return std::nullopt;
  const size_t directoryEnd = kHeaderSize + count * kEntrySize;
  if (directoryEnd > bytes.size()) return std::nullopt;

  Container c;
  c.entries_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + kHeaderSize + i * kEntrySize;
    Entry entry{Get16(e), Get16(e + 2), Get32(e + 4), Get32(e + 8), Get32(e + 12)};
    // 64-bit sum: offset + size must not wrap past the end.
    if (entry.offset < directoryEnd ||
        static_cast<uint64_t>(entry.offset) + entry.size > bytes.size())
      return std::nullopt;
    c.entries_.push_back(entry);
  }
  c.bytes_ = std::move(bytes);
  return c;
}

const Entry* Container::Find(uint16_t type, uint16_t id) const {
  for (const Entry& e : entries_)
    if (e.type == type && e.id == id) return &e;
  return nullptr;
}

std::optional<std::span<const uint8_t>> Container::Payload(const Entry& entry) const {
  if (static_cast<uint64_t>(entry.offset) + entry.size > bytes_.size()) return std::nullopt;
  std::span<const uint8_t> payload(bytes_.data() + entry.offset, entry.size);
  if (Crc32(payload) != entry.crc) return std::nullopt;
  return payload;
}

std::optional<Pixels> Container::Bitmap(uint16_t id) const {
  const Entry* entry = Find(kTypeBitmap, id);
  if (!entry) return std::nullopt;
  auto payload = Payload(*entry);
  if (!payload || payload->size() < kBitmapHeaderSize) return std::nullopt;
  const uint8_t* p = payload->data();
  const uint32_t width = Get32(p), height = Get32(p + 4), format = Get32(p + 8);
  if (format != kPixelsXrgb32 || width == 0 || height == 0 || width > kMaxBitmapSide ||
      height > kMaxBitmapSide)
    return std::nullopt;
  const uint64_t words = static_cast<uint64_t>(width) * height;
  if (payload->size() != kBitmapHeaderSize + words * 4) return std::nullopt;

  Pixels out;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.xrgb.resize(words);
  const uint8_t* px = p + kBitmapHeaderSize;
  for (uint64_t i = 0; i < words; ++i) out.xrgb[i] = Get32(px + 4 * i) & 0x00FFFFFFu;
  return out;
}

void ContainerWriter::AddBitmap(uint16_t id, const Pixels& pixels) {
  std::vector<uint8_t> payload;
  payload.reserve(kBitmapHeaderSize + pixels.xrgb.size() * 4);
  Put32(payload, static_cast<uint32_t>(pixels.width));
  Put32(payload, static_cast<uint32_t>(pixels.height));
  Put32(payload, kPixelsXrgb32);
  for (uint32_t w : pixels.xrgb) Put32(payload, w & 0x00FFFFFFu);
  AddRaw(kTypeBitmap, id, std::move(payload));
}

void ContainerWriter::AddRaw(uint16_t type, uint16_t id, std::vector<uint8_t> payload) {
  items_.push_back({type, id, std::move(payload)});
}

std::vector<uint8_t> ContainerWriter::Build() const {
  size_t total = kHeaderSize + items_.size() * kEntrySize;
  for (const Item& item : items_) total += item.payload.size();

  std::vector<uint8_t> out;
  out.reserve(total);
  for (char c : kMagic) out.push_back(static_cast<uint8_t>(c));
  Put16(out, kVersion);
  Put16(out, static_cast<uint16_t>(items_.size()));
  Put32(out, static_cast<uint32_t>(total));
  Put32(out, 0);
  uint32_t offset = static_cast<uint32_t>(kHeaderSize + items_.size() * kEntrySize);
  for (const Item& item : items_) {
    Put16(out, item.type);
    Put16(out, item.id);
    Put32(out, offset);
    Put32(out, static_cast<uint32_t>(item.payload.size()));
    Put32(out, Crc32(item.payload));
    offset += static_cast<uint32_t>(item.payload.size());
  }
  for (const Item& item : items_) out.insert(out.end(), item.payload.begin(), item.payload.end());
  return out;
}

}  // namespace platform::resfile
