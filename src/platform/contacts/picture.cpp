#include "platform/contacts/picture.h"

#include <algorithm>
#include <cmath>
#include <memory>

// JPEG is libjpeg-turbo's alone: stb's JPEG reader indexes past its Huffman tables on damaged
// input, so it is left out and a JPEG turbo refuses stays refused.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include <turbojpeg.h>

namespace platform::contacts {
namespace {

constexpr int kMaxSide = 4096;
// The most pixels one byte of a PNG, GIF or BMP can stand for: deflate packs at most 1032 bytes
// into one, and a byte holds at most eight 1-bit pixels (LZW and BMP pack less). A picture that
// claims more is cut or built to cost memory, and is refused before anything is allocated.
constexpr long long kMaxPixelsPerByte = 1032 * 8;

// Filter weights in 1/16384ths; each output sample's weights add up to exactly 16384, so a flat
// colour stays exactly that colour.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;

// One output sample's source taps along an axis: weights[offset .. offset + count).
struct Tap {
  int first = 0;
  int count = 0;
  int offset = 0;
};

struct Axis {
  std::vector<Tap> taps;
  std::vector<int32_t> weights;
};

Axis AxisTaps(int src, int dst) {
  Axis axis;
  axis.taps.resize(dst);
  double scale = static_cast<double>(src) / dst;
  std::vector<double> w;
  for (int i = 0; i < dst; ++i) {
    Tap& t = axis.taps[i];
    w.clear();
    if (dst < src) {
      // Area average: every source pixel counts by how much of it the output pixel covers.
      double lo = i * scale, hi = (i + 1) * scale;
      int a = static_cast<int>(std::floor(lo)), b = std::min(src, static_cast<int>(std::ceil(hi)));
      t.first = a;
      for (int s = a; s < b; ++s) w.push_back((std::min<double>(hi, s + 1) - std::max<double>(lo, s)) / scale);
    } else {
      // Bilinear between the two nearest source centres.
      double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, static_cast<double>(src - 1));
      int a = static_cast<int>(std::floor(centre));
      double f = centre - a;
      t.first = a;
      w.push_back(1.0 - f);
      if (a + 1 < src) w.push_back(f);
    }
    t.offset = static_cast<int>(axis.weights.size());
    t.count = static_cast<int>(w.size());
    int sum = 0, largest = 0;
    for (size_t k = 0; k < w.size(); ++k) {
      int q = static_cast<int>(std::lround(w[k] * kOne));
      axis.weights.push_back(q);
      sum += q;
      if (q > axis.weights[t.offset + largest]) largest = static_cast<int>(k);
    }
    axis.weights[t.offset + largest] += kOne - sum;
  }
  return axis;
}

void WriteBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

// libjpeg-turbo's handles, one per thread, kept: making one costs more than a small decode.
tjhandle Decompressor() {
  thread_local std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
  return handle.get();
}

bool IsJpeg(std::string_view bytes) { return bytes.size() > 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF"; }

// stb_image makes room for a PNG chunk by the length the chunk claims before it reads it, so a
// few hundred bytes claiming a gigabyte would cost one. Every chunk up to the end marker must fit
// in the bytes there are.
bool PngChunksFit(std::string_view bytes) {
  if (bytes.substr(0, 8) != std::string_view("\x89PNG\r\n\x1A\n", 8)) return true;
  auto u32 = [&bytes](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
  };
  for (size_t at = 8; bytes.size() - at >= 8;) {  // a chunk: length, type, data, check
    uint32_t length = u32(at);
    if (bytes.size() - at < 12 || length > bytes.size() - at - 12) return false;
    if (bytes.substr(at + 4, 4) == "IEND") return true;
    at += 12 + static_cast<size_t>(length);
  }
  return true;  // no end marker: stb refuses that on its own
}

bool JpegHeader(std::string_view bytes, int* width, int* height) {
  tjhandle tj = Decompressor();
  int subsampling = 0, colourspace = 0;
  return tj && tjDecompressHeader3(tj, reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<unsigned long>(bytes.size()), width, height, &subsampling,
                                   &colourspace) == 0;
}

// The smallest DCT scale whose result still covers the wanted size (full size when none smaller does).
tjscalingfactor CoveringScale(int width, int height, int minWidth, int minHeight) {
  tjscalingfactor best{1, 1};
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; i < count && factors; ++i) {
    const tjscalingfactor& f = factors[i];
    if (f.num > f.denom) continue;  // never larger than the picture itself
    int w = TJSCALED(width, f), h = TJSCALED(height, f);
    if (w < minWidth || h < minHeight) continue;
    if (static_cast<long long>(w) * h < static_cast<long long>(TJSCALED(width, best)) * TJSCALED(height, best))
      best = f;
  }
  return best;
}

// JPEGs are decoded by libjpeg-turbo straight into B, G, R, A; they are opaque,
// so those bytes are already premultiplied.
bool DecodeJpeg(std::string_view bytes, int minWidth, int minHeight, Pixels* out) {
  int w = 0, h = 0;
  if (!PictureSize(bytes, &w, &h)) return false;
  tjscalingfactor f = CoveringScale(w, h, minWidth, minHeight);
  int sw = TJSCALED(w, f), sh = TJSCALED(h, f);
  Pixels p;
  p.width = sw;
  p.height = sh;
  p.bgra.resize(static_cast<size_t>(sw) * sh * 4);
  if (tjDecompress2(Decompressor(), reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<unsigned long>(bytes.size()), p.bgra.data(), sw, 0, sh, TJPF_BGRA, 0) != 0 &&
      tjGetErrorCode(Decompressor()) == TJERR_FATAL)
    return false;  // a warning (a cut file, say) still leaves what could be decoded
  *out = std::move(p);
  return true;
}

bool DecodeOther(std::string_view bytes, Pixels* out) {
  int w = 0, h = 0, comp = 0;
  if (!PictureSize(bytes, &w, &h)) return false;
  auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(bytes.size()), &w, &h, &comp, 4);
  if (!rgba) return false;
  out->width = w;
  out->height = h;
  out->bgra.resize(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < out->bgra.size(); i += 4) {
    unsigned a = rgba[i + 3];
    if (a == 255) {  // most photos are opaque: nothing to premultiply
      out->bgra[i + 0] = rgba[i + 2];
      out->bgra[i + 1] = rgba[i + 1];
      out->bgra[i + 2] = rgba[i + 0];
      out->bgra[i + 3] = 255;
      continue;
    }
    out->bgra[i + 0] = static_cast<uint8_t>((rgba[i + 2] * a + 127) / 255);
    out->bgra[i + 1] = static_cast<uint8_t>((rgba[i + 1] * a + 127) / 255);
    out->bgra[i + 2] = static_cast<uint8_t>((rgba[i + 0] * a + 127) / 255);
    out->bgra[i + 3] = static_cast<uint8_t>(a);
  }
  stbi_image_free(rgba);
  return true;
}

}  // namespace

bool PictureSize(std::string_view bytes, int* width, int* height) {
  *width = *height = 0;
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return false;
  int w = 0, h = 0, comp = 0;
  bool jpeg = IsJpeg(bytes);
  if (jpeg ? !JpegHeader(bytes, &w, &h)
           : !stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                    &w, &h, &comp))
    return false;
  if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > kMaxPicturePixels) return false;
  if (!jpeg && (w > kMaxSide || h > kMaxSide || !PngChunksFit(bytes))) return false;
  if (!jpeg && static_cast<long long>(w) * h > static_cast<long long>(bytes.size()) * kMaxPixelsPerByte) return false;
  *width = w;
  *height = h;
  return true;
}

bool DecodePicture(std::string_view bytes, Pixels* out) { return DecodePictureToCover(bytes, 1 << 30, 1 << 30, out); }

bool DecodePictureToCover(std::string_view bytes, int minWidth, int minHeight, Pixels* out) {
  *out = {};
  if (IsJpeg(bytes) && DecodeJpeg(bytes, minWidth, minHeight, out)) return true;
  return DecodeOther(bytes, out);
}

Pixels ResizePixels(const Pixels& src, int width, int height) {
  Pixels out;
  if (src.width <= 0 || src.height <= 0 || width <= 0 || height <= 0) return out;
  out.width = width;
  out.height = height;
  out.bgra.resize(static_cast<size_t>(width) * height * 4);
  Axis xs = AxisTaps(src.width, width), ys = AxisTaps(src.height, height);
  // Rows first, kept with 6 fractional bits in 16-bit samples, then columns. Premultiplied
  // values keep edges free of dark fringes.
  // Reused between calls: a picture list resizes hundreds of pictures in a row.
  thread_local std::vector<uint16_t> rows;
  if (rows.size() < static_cast<size_t>(width) * src.height * 4) rows.resize(static_cast<size_t>(width) * src.height * 4);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* line = &src.bgra[static_cast<size_t>(y) * src.width * 4];
    uint16_t* o = &rows[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x) {
      const Tap& t = xs.taps[x];
      const int32_t* w = &xs.weights[t.offset];
      const uint8_t* p = line + static_cast<size_t>(t.first) * 4;
      int32_t a0 = 0, a1 = 0, a2 = 0, a3 = 0;
      for (int k = 0; k < t.count; ++k, p += 4) {
        a0 += w[k] * p[0];
        a1 += w[k] * p[1];
        a2 += w[k] * p[2];
        a3 += w[k] * p[3];
      }
      constexpr int kShift = kWeightBits - 6, kHalf = 1 << (kShift - 1);
      o[x * 4 + 0] = static_cast<uint16_t>((a0 + kHalf) >> kShift);
      o[x * 4 + 1] = static_cast<uint16_t>((a1 + kHalf) >> kShift);
      o[x * 4 + 2] = static_cast<uint16_t>((a2 + kHalf) >> kShift);
      o[x * 4 + 3] = static_cast<uint16_t>((a3 + kHalf) >> kShift);
    }
  }
  // Columns a whole output row at a time, tap by tap, so the inner loops run straight along
  // memory and the compiler can vectorise them.
  const size_t stride = static_cast<size_t>(width) * 4;
  thread_local std::vector<int32_t> sums;
  sums.resize(stride);
  for (int y = 0; y < height; ++y) {
    const Tap& t = ys.taps[y];
    std::fill(sums.begin(), sums.end(), 0);
    int32_t* acc = sums.data();
    for (int k = 0; k < t.count; ++k) {
      const int32_t w = ys.weights[t.offset + k];
      const uint16_t* p = &rows[static_cast<size_t>(t.first + k) * stride];
      for (size_t x = 0; x < stride; ++x) acc[x] += w * p[x];
    }
    constexpr int kShift = kWeightBits + 6;
    uint8_t* o = &out.bgra[static_cast<size_t>(y) * stride];
    for (size_t x = 0; x < stride; ++x) {
      int v = (acc[x] + (1 << (kShift - 1))) >> kShift;
      o[x] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    // Rounding may leave a colour a hair above its alpha; premultiplied data must not.
    for (size_t x = 0; x < stride; x += 4)
      for (int c = 0; c < 3; ++c) o[x + c] = std::min(o[x + c], o[x + 3]);
  }
  return out;
}

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
  std::string out;
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) return out;
  stbi_write_png_to_func(WriteBytes, &out, width, height, 4, rgba.data(), width * 4);
  return out;
}

std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgba, int quality) {
  std::string out;
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) return out;
  std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitCompress(), tjDestroy);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  if (tj && tjCompress2(tj.get(), rgba.data(), width, 0, height, TJPF_RGBA, &jpeg, &size, TJSAMP_420, quality, 0) == 0)
    out.assign(reinterpret_cast<const char*>(jpeg), size);
  tjFree(jpeg);
  return out;
}

}  // namespace platform::contacts
