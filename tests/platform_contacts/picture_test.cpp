#include <gtest/gtest.h>

#include <tuple>

#include "imaging.h"
#include "kit/temp_device.h"
#include "platform/base/device_root.h"
#include "platform/contacts/memory_stream.h"
#include "platform/contacts/picture.h"

using platform::contacts::DecodePicture;
using platform::contacts::Pixels;
using platform::contacts::ResizePixels;

namespace {

std::vector<uint8_t> Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < px.size(); i += 4) {
    px[i] = r;
    px[i + 1] = g;
    px[i + 2] = b;
    px[i + 3] = a;
  }
  return px;
}

// A 2 x 1 24-bit BMP: blue then red (rows are B, G, R and padded to 4 bytes).
std::string TinyBmp() {
  std::string b = "BM";
  auto u32 = [&b](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>(v >> (8 * i))); };
  auto u16 = [&b](uint16_t v) { b.push_back(static_cast<char>(v)); b.push_back(static_cast<char>(v >> 8)); };
  u32(14 + 40 + 8); u32(0); u32(14 + 40);
  u32(40); u32(2); u32(1); u16(1); u16(24); u32(0); u32(8); u32(2835); u32(2835); u32(0); u32(0);
  b += std::string("\xFF\x00\x00\x00\x00\xFF\x00\x00", 8);
  return b;
}

const char kTinyGif[] =
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\x00!\xF9\x04\x00\x00\x00\x00\x00"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";

TEST(PictureDecode, PngJpegBmpAndGifAndNothingFromDamagedOnes) {
  Pixels p;
  ASSERT_TRUE(DecodePicture(platform::contacts::EncodePng(3, 2, Solid(3, 2, 0, 255, 0)), &p));
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.bgra[1], 255);  // green
  ASSERT_TRUE(DecodePicture(platform::contacts::EncodeJpeg(16, 8, Solid(16, 8, 200, 200, 200), 90), &p));
  EXPECT_EQ(p.width, 16);
  EXPECT_NEAR(p.bgra[0], 200, 3);
  ASSERT_TRUE(DecodePicture(TinyBmp(), &p));
  ASSERT_EQ(p.width, 2);
  EXPECT_EQ(p.bgra[0], 255);      // first pixel blue
  EXPECT_EQ(p.bgra[4 + 2], 255);  // second pixel red
  ASSERT_TRUE(DecodePicture(std::string(kTinyGif, sizeof kTinyGif - 1), &p));
  EXPECT_EQ(p.width, 1);
  EXPECT_EQ(p.bgra[2], 255);  // the GIF's one pixel is red

  // Damaged pictures give nothing.
  Pixels none;
  const std::string png = platform::contacts::EncodePng(20, 20, Solid(20, 20, 1, 2, 3));
  std::string broken = png;
  for (size_t i = 50; i < broken.size() - 12; ++i) broken[i] = static_cast<char>(broken[i] ^ 0x5A);
  for (const std::string& bad : {std::string(), std::string("not a picture at all"), png.substr(0, 40), broken})
    EXPECT_FALSE(DecodePicture(bad, &none)) << bad.size() << " bytes";  // 40: the header only
  EXPECT_EQ(none.width, 0);
}

// Rows: the box asked for and the size a 400 x 300 JPEG comes out at (1/8, 1/4 ... 1 of it).
TEST(PictureDecode, JpegComesAtTheSmallestScaleThatCoversTheBox) {
  std::string jpeg = platform::contacts::EncodeJpeg(400, 300, Solid(400, 300, 90, 120, 200), 90);
  struct Row {
    int boxW, boxH, w, h;
  } rows[] = {{50, 30, 50, 38}, {60, 40, 100, 75}, {120, 90, 150, 113}, {400, 300, 400, 300}, {900, 900, 400, 300}};
  for (const Row& r : rows) {
    Pixels p;
    ASSERT_TRUE(platform::contacts::DecodePictureToCover(jpeg, r.boxW, r.boxH, &p));
    EXPECT_EQ(p.width, r.w) << r.boxW << "x" << r.boxH;
    EXPECT_EQ(p.height, r.h) << r.boxW << "x" << r.boxH;
    EXPECT_NEAR(p.bgra[0], 200, 4);  // blue, whatever the scale
  }
  Pixels png;  // other kinds have no cheaper scale
  ASSERT_TRUE(platform::contacts::DecodePictureToCover(platform::contacts::EncodePng(40, 20, Solid(40, 20, 0, 0, 0)), 5, 5, &png));
  EXPECT_EQ(png.width, 40);
}

// A header may claim any size; a picture is decoded only when its bytes could hold that many
// pixels and every chunk it claims, so a few bytes never cost a 4096 x 4096 canvas or a gigabyte.
TEST(PictureDecode, SizeTheBytesCannotHoldIsRefused) {
  auto claiming = [](std::string bytes, size_t at, bool bigEndian) {
    for (int i = 0; i < 2; ++i) {  // width then height: 4096
      uint32_t v = 4096;
      int n = bigEndian ? 4 : 2;
      for (int k = 0; k < n; ++k)
        bytes[at + i * n + k] = static_cast<char>(v >> (8 * (bigEndian ? n - 1 - k : k)));
    }
    return bytes;
  };
  const std::string tinyGif(kTinyGif, sizeof kTinyGif - 1);
  const std::string tinyPng = platform::contacts::EncodePng(1, 1, Solid(1, 1, 9, 9, 9));
  struct Row {
    const char* what;
    std::string bytes;
    int width;  // 0: refused
  } rows[] = {
      {"1 x 1 GIF", tinyGif, 1},
      {"GIF screen claiming 4096 x 4096", claiming(tinyGif, 6, false), 0},
      {"PNG header claiming 4096 x 4096", claiming(tinyPng, 16, true), 0},
      // After the 33 bytes of signature and header, a data chunk that claims a gigabyte.
      {"PNG chunk claiming a gigabyte", tinyPng.substr(0, 33) + std::string("\x40\0\0\0IDAT", 8) + tinyPng.substr(33), 0},
      {"PNG ending in a chunk that claims a gigabyte", tinyPng.substr(0, 33) + std::string("\x40\0\0\0IDATB`\x82", 11), 0},
      {"whole 1024 x 1024 PNG of one colour", platform::contacts::EncodePng(1024, 1024, Solid(1024, 1024, 9, 9, 9)), 1024},
  };
  for (const Row& r : rows) {
    int w = -1, h = -1;
    Pixels p;
    EXPECT_EQ(platform::contacts::PictureSize(r.bytes, &w, &h), r.width != 0) << r.what;
    EXPECT_EQ(w, r.width) << r.what;
    EXPECT_EQ(DecodePicture(r.bytes, &p), r.width != 0) << r.what;
  }
}

TEST(PictureResize, DownscaleAveragesTheAreaUpscaleIsBilinear) {
  // A 2 x 2 checkerboard of black and white shrinks to one middle grey, not to one of its pixels.
  Pixels src{2, 2, {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255}};
  Pixels out = ResizePixels(src, 1, 1);
  ASSERT_EQ(out.bgra.size(), 4u);
  EXPECT_NEAR(out.bgra[0], 128, 1);
  EXPECT_EQ(out.bgra[3], 255);
  // 3 -> 2 columns: the middle source column is shared half and half.
  Pixels row{3, 1, {0, 0, 0, 255, 90, 90, 90, 255, 180, 180, 180, 255}};
  Pixels two = ResizePixels(row, 2, 1);
  EXPECT_NEAR(two.bgra[0], 30, 1);   // (0 * 1 + 90 * 0.5) / 1.5
  EXPECT_NEAR(two.bgra[4], 150, 1);  // (90 * 0.5 + 180 * 1) / 1.5
  // Upscaling is bilinear.
  out = ResizePixels(Pixels{2, 1, {0, 0, 0, 255, 200, 200, 200, 255}}, 4, 1);
  ASSERT_EQ(out.width, 4);
  EXPECT_EQ(out.bgra[0], 0);                       // edges keep their colour
  EXPECT_NEAR(out.bgra[4], 50, 1);                  // a quarter of the way
  EXPECT_NEAR(out.bgra[8], 150, 1);
  EXPECT_EQ(out.bgra[12], 200);
}

IImagingFactory* NewFactory() {
  IImagingFactory* f = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                             reinterpret_cast<void**>(&f)),
            S_OK);
  return f;
}

// COM started and stopped around each test of the imaging interfaces.
class ImagingFactory : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

// The thumbnail of the picture in `s` (released here) through the imaging interfaces: `w` x `h`
// pixels of premultiplied BGRA, nothing when a step fails; the picture's own size in `info`.
std::vector<uint8_t> Thumbnail(IStream* s, UINT w, UINT h, ImageInfo* info) {
  IImagingFactory* f = NewFactory();
  std::vector<uint8_t> out;
  IImage *image = nullptr, *thumb = nullptr;
  IBitmapImage* bmp = nullptr;
  BitmapData data{};
  if (f->CreateImageFromStream(s, &image) == S_OK && image->GetImageInfo(info) == S_OK &&
      image->GetThumbnail(w, h, &thumb) == S_OK &&
      thumb->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(&bmp)) == S_OK &&
      bmp->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppPARGB, &data) == S_OK) {
    EXPECT_EQ(std::tuple(data.Width, data.Height), std::tuple(w, h));
    out.assign(static_cast<uint8_t*>(data.Scan0), static_cast<uint8_t*>(data.Scan0) + w * h * 4);
    EXPECT_EQ(bmp->UnlockBits(&data), S_OK);
  }
  if (bmp) bmp->Release();
  if (thumb) thumb->Release();
  if (image) image->Release();
  s->Release();
  f->Release();
  return out;
}

TEST_F(ImagingFactory, ThumbnailThroughTheInterfaces) {
  ImageInfo info{};
  const std::vector<uint8_t> thumb =
      Thumbnail(platform::contacts::NewMemoryStream(platform::contacts::EncodePng(120, 60, Solid(120, 60, 255, 0, 0))),
                60, 30, &info);
  EXPECT_EQ(std::tuple(info.Width, info.Height), std::tuple(120u, 60u));
  ASSERT_EQ(thumb.size(), 60u * 30 * 4);
  EXPECT_EQ(thumb[2], 255);  // red survives the scaling

  IImagingFactory* f = NewFactory();
  IStream* bad = platform::contacts::NewMemoryStream("\x89PNG\r\n\x1a\n garbage");
  IImage* none = reinterpret_cast<IImage*>(1);
  EXPECT_EQ(f->CreateImageFromStream(bad, &none), E_FAIL);
  EXPECT_EQ(none, nullptr);
  bad->Release();
  f->Release();
}

TEST_F(ImagingFactory, StraightAlphaLockUndoesThePremultiplication) {
  IImagingFactory* f = NewFactory();
  ASSERT_NE(f, nullptr);
  std::string png = platform::contacts::EncodePng(2, 2, Solid(2, 2, 255, 0, 0, 128));
  IImage* image = nullptr;
  ASSERT_EQ(f->CreateImageFromBuffer(png.data(), static_cast<UINT>(png.size()), 0, &image), S_OK);
  IBitmapImage* bmp = nullptr;
  ASSERT_EQ(image->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(&bmp)), S_OK);
  BitmapData pre{}, straight{};
  ASSERT_EQ(bmp->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppPARGB, &pre), S_OK);
  EXPECT_EQ(static_cast<uint8_t*>(pre.Scan0)[2], 128);  // red times alpha
  EXPECT_EQ(bmp->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &straight), E_FAIL);  // one lock at a time
  ASSERT_EQ(bmp->UnlockBits(&pre), S_OK);
  RECT part{1, 1, 2, 2};
  ASSERT_EQ(bmp->LockBits(&part, ImageLockModeRead, PixelFormat32bppARGB, &straight), S_OK);
  EXPECT_EQ(straight.Width, 1u);
  EXPECT_EQ(static_cast<uint8_t*>(straight.Scan0)[2], 255);
  EXPECT_EQ(static_cast<uint8_t*>(straight.Scan0)[3], 128);
  bmp->UnlockBits(&straight);
  RECT outside{1, 1, 3, 2};
  EXPECT_EQ(bmp->LockBits(&outside, ImageLockModeRead, PixelFormat32bppARGB, &straight), E_INVALIDARG);
  bmp->Release();
  image->Release();
  f->Release();
}

// One run of the program's picture loading: a factory, the picture of a contact (digest 42, or
// `digest`) scaled to 60 x 45, the factory released (which keeps what was scaled).
std::vector<uint8_t> ThumbnailOfAContact(const std::string& jpeg, uint64_t digest, int* fetches) {
  IStream* s = platform::contacts::NewPhotoStream(jpeg.size(), digest, [&] {
    ++*fetches;
    return std::make_shared<const std::string>(jpeg);
  });
  ImageInfo info{};
  std::vector<uint8_t> out = Thumbnail(s, 60, 45, &info);
  EXPECT_EQ(std::tuple(info.Width, info.Height), std::tuple(400u, 300u));
  return out;
}

TEST_F(ImagingFactory, AContactPictureScaledOnceIsTakenFromThePictureCacheAfterwards) {
  parlo_test::TempDevice device;
  std::filesystem::create_directories(platform::device::ProgramDir());
  std::vector<uint8_t> rgba = Solid(400, 300, 30, 160, 90);
  for (size_t i = 0; i < rgba.size(); i += 4 * 7) rgba[i] = 250;  // some detail to scale
  std::string jpeg = platform::contacts::EncodeJpeg(400, 300, rgba, 90);
  int fetches = 0;
  std::vector<uint8_t> first = ThumbnailOfAContact(jpeg, 42, &fetches);
  ASSERT_EQ(first.size(), 60u * 45 * 4);
  EXPECT_EQ(fetches, 1);
  // A later start (the cache read again from its file): same pixels, the picture never read.
  { parlo_test::TempDevice elsewhere; }
  platform::device::SetRoot(device.dir());
  fetches = 0;
  EXPECT_EQ(ThumbnailOfAContact(jpeg, 42, &fetches), first);
  EXPECT_EQ(fetches, 0);
  // Another picture (another digest) is not taken for it.
  EXPECT_EQ(ThumbnailOfAContact(jpeg, 43, &fetches), first);
  EXPECT_EQ(fetches, 1);
}

}  // namespace
