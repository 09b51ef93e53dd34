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

// JPEG, PNG, GIF (first frame) or BMP. False for anything damaged, unknown, empty or larger than
// 4096 x 4096, so a bad picture never costs more than a refusal.
bool DecodePicture(std::string_view bytes, Pixels* out);

// Exactly width x height: each axis area-averaged when it shrinks, bilinear when it grows.
Pixels ResizePixels(const Pixels& src, int width, int height);

// Straight (not premultiplied) R, G, B, A bytes, top row first.
std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba);
std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgba, int quality);

}  // namespace platform::contacts
