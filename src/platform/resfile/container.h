// The resource container behind "Parlores.dll": our own little format, read as untrusted bytes.
//
// Layout, all integers little-endian:
//   header   16 bytes: magic "PRES", u16 version (1), u16 entry count, u32 file size, u32 reserved
//   entries  16 bytes each: u16 type, u16 id, u32 offset, u32 size, u32 CRC-32 of the payload
//   payloads anywhere after the directory, inside the file
// A bitmap payload (type 2, as RT_BITMAP): u32 width, u32 height, u32 pixel format (1 = 32-bit
// 0x00RRGGBB words, rows top to bottom), then width * height words.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::resfile {

inline constexpr char kMagic[4] = {'P', 'R', 'E', 'S'};
inline constexpr uint16_t kVersion = 1;
inline constexpr size_t kHeaderSize = 16;
inline constexpr size_t kEntrySize = 16;
inline constexpr uint16_t kTypeBitmap = 2;
inline constexpr uint32_t kPixelsXrgb32 = 1;
inline constexpr size_t kBitmapHeaderSize = 12;
// Large enough for any screen the simulator offers; stops a hostile size from allocating gigabytes.
inline constexpr uint32_t kMaxBitmapSide = 4096;

struct Entry {
  uint16_t type = 0;
  uint16_t id = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t crc = 0;
};

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> xrgb;  // 0x00RRGGBB, rows top to bottom
};

uint32_t Crc32(std::span<const uint8_t> bytes);

// A parsed container. Parse checks the header and that every directory entry lies inside the
// file; payloads are checked again (CRC, bitmap header) when they are read.
class Container {
 public:
  static std::optional<Container> Parse(std::vector<uint8_t> bytes);

  const std::vector<Entry>& entries() const { return entries_; }
  const Entry* Find(uint16_t type, uint16_t id) const;
  // The payload of an entry whose CRC matches; nothing when it does not.
  std::optional<std::span<const uint8_t>> Payload(const Entry& entry) const;
  // The bitmap `id` decoded; nothing when missing, damaged or malformed.
  std::optional<Pixels> Bitmap(uint16_t id) const;

 private:
  std::vector<uint8_t> bytes_;
  std::vector<Entry> entries_;
};

// Writing, for the packer and for tests that build damaged files on purpose.
class ContainerWriter {
 public:
  void AddBitmap(uint16_t id, const Pixels& pixels);
  void AddRaw(uint16_t type, uint16_t id, std::vector<uint8_t> payload);
  std::vector<uint8_t> Build() const;

 private:
  struct Item {
    uint16_t type;
    uint16_t id;
    std::vector<uint8_t> payload;
  };
  std::vector<Item> items_;
};

}  // namespace platform::resfile
