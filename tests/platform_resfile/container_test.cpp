// The container format read as untrusted bytes: whatever the damage, no bitmap and no crash.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "platform/resfile/container.h"

using namespace platform::resfile;

namespace {

Pixels Gradient(int w, int h) {
  Pixels p;
  p.width = w;
  p.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.xrgb.push_back(static_cast<uint32_t>((x * 7) << 16 | (y * 5) << 8 | 0x40));
  return p;
}

std::vector<uint8_t> TwoBitmaps() {
  ContainerWriter w;
  w.AddBitmap(501, Gradient(5, 3));
  w.AddBitmap(505, Gradient(4, 4));
  return w.Build();
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> BitmapPayload(uint32_t w, uint32_t h, uint32_t format, size_t pixelBytes) {
  std::vector<uint8_t> p(12 + pixelBytes, 0x11);
  Put32(p, 0, w);
  Put32(p, 4, h);
  Put32(p, 8, format);
  return p;
}

}  // namespace

TEST(ResContainer, BitmapsComeBackAsWrittenUnderTheStandardCrc) {
  auto c = Container::Parse(TwoBitmaps());
  ASSERT_TRUE(c);
  auto a = c->Bitmap(501);
  ASSERT_TRUE(a);
  EXPECT_EQ(std::tuple(a->width, a->height, a->xrgb), std::tuple(5, 3, Gradient(5, 3).xrgb));
  EXPECT_EQ(c->Bitmap(505).value_or(Pixels{}).xrgb, Gradient(4, 4).xrgb);
  EXPECT_FALSE(c->Bitmap(502));
  const std::string text = "123456789";  // the CRC's standard check value
  EXPECT_EQ(Crc32({reinterpret_cast<const uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
}

TEST(ResContainerDamage, AnyFlippedPayloadByteLosesOnlyThatBitmap) {
  const auto whole = TwoBitmaps();
  auto probe = Container::Parse(whole);
  ASSERT_TRUE(probe);
  const Entry first = probe->entries()[0];
  for (uint32_t i = 0; i < first.size; ++i) {
    auto bytes = whole;
    bytes[first.offset + i] ^= 0x5A;
    auto c = Container::Parse(bytes);
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->Bitmap(501)) << "byte " << i;
    EXPECT_TRUE(c->Bitmap(505));
  }
}

// A damaged header or directory entry refuses the whole file.
TEST(ResContainerDamage, HeaderAndDirectoryDamageIsRefused) {
  const struct {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
      {"magic", [](auto& b) { b[0] = 'X'; }},
      {"version", [](auto& b) { b[4] = 9; }},
      {"trailing byte", [](auto& b) { b.push_back(0); }},
      {"255 entries claimed", [](auto& b) { b[6] = 0xFF; }},
      {"empty", [](auto& b) { b.clear(); }},
      {"offset at the end, size > 0", [](auto& b) { Put32(b, kHeaderSize + 4, static_cast<uint32_t>(b.size())); }},
      {"offset + size wraps", [](auto& b) { Put32(b, kHeaderSize + 4, 0xFFFFFFF0u); }},
      {"payload over the header", [](auto& b) { Put32(b, kHeaderSize + 4, 0); }},
  };
  for (const auto& c : cases) {
    auto bytes = TwoBitmaps();
    c.damage(bytes);
    EXPECT_FALSE(Container::Parse(bytes)) << c.what;
  }
}

TEST(ResContainerDamage, MalformedBitmapHeadersGiveNoBitmap) {
  ContainerWriter w;
  w.AddRaw(kTypeBitmap, 1, BitmapPayload(2, 2, kPixelsXrgb32, 15));          // one byte short
  w.AddRaw(kTypeBitmap, 2, BitmapPayload(2, 2, kPixelsXrgb32, 17));          // one byte over
  w.AddRaw(kTypeBitmap, 3, BitmapPayload(0, 2, kPixelsXrgb32, 0));           // empty
  w.AddRaw(kTypeBitmap, 4, BitmapPayload(0x40000000u, 4, kPixelsXrgb32, 0)); // w*h*4 overflows 32 bits
  w.AddRaw(kTypeBitmap, 5, BitmapPayload(5000, 1, kPixelsXrgb32, 20000));    // wider than allowed
  w.AddRaw(kTypeBitmap, 6, BitmapPayload(2, 2, 7, 16));                      // unknown pixel format
  w.AddRaw(kTypeBitmap, 7, std::vector<uint8_t>(11, 0));                     // shorter than its header
  w.AddRaw(kTypeBitmap, 8, BitmapPayload(2, 2, kPixelsXrgb32, 16));          // the one good one
  w.AddRaw(9, 9, BitmapPayload(2, 2, kPixelsXrgb32, 16));                    // not a bitmap type
  auto c = Container::Parse(w.Build());
  ASSERT_TRUE(c);
  for (uint16_t id = 1; id <= 7; ++id) EXPECT_FALSE(c->Bitmap(id)) << id;
  EXPECT_TRUE(c->Bitmap(8));
  EXPECT_FALSE(c->Bitmap(9));
}
