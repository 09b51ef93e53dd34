// Picture files to pixels and back: decoding (stb_image), filtered scaling, and encoding for the
// demo phone's contact pictures.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::contacts {

// Premultiplied B, G, R, A bytes, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;
};

// The size a picture file says it has, read from its header alone. False for anything unknown,
// damaged or too large to decode: more than kMaxPicturePixels, or, for what is decoded at full
// size (PNG, GIF, BMP), wider or taller than 4096 or more pixels than its bytes can hold.
constexpr long long kMaxPicturePixels = 64LL << 20;
bool PictureSize(std::string_view bytes, int* width, int* height);

// JPEG, PNG, GIF (first frame) or BMP at full size. False for anything damaged, unknown, empty or
// refused by PictureSize, so a bad picture never costs more than a refusal.
bool DecodePicture(std::string_view bytes, Pixels* out);

// The same, but a JPEG is decoded at the smallest of its DCT scales (1/8 .. 1) that still covers
// minWidth x minHeight: a camera photo shown as a thumbnail costs a fraction of its full decode.
// Other kinds come at full size.
bool DecodePictureToCover(std::string_view bytes, int minWidth, int minHeight, Pixels* out);

// Exactly width x height: each axis area-averaged when it shrinks, bilinear when it grows.
Pixels ResizePixels(const Pixels& src, int width, int height);

// Straight (not premultiplied) R, G, B, A bytes, top row first.
std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba);
std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgba, int quality);

}  // namespace platform::contacts
