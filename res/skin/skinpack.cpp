// parlo-skinpack: renders the skin described in skin.json and packs it into Parlores.dll.
//
//   parlo-skinpack SKIN.json OUT.dll [--preview DIR]
//
// Every bitmap is drawn from layers of simple shapes (signed distance fields, so every edge is
// anti-aliased) or from PNG files. Pixels no layer touches become the bitmap's colour key;
// partly covered edge pixels are blended with the "matte" colour, the colour the program draws
// the bitmap over, so keyed bitmaps show no fringe of the key colour.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/resfile/container.h"

using json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

Rgba ParseColor(const json& j) {
  std::string s = j.get<std::string>();
  if (s.size() != 7 && s.size() != 9) throw std::runtime_error("colour must be #RRGGBB or #RRGGBBAA: " + s);
  auto byte = [&](int i) { return std::stoi(s.substr(1 + 2 * i, 2), nullptr, 16) / 255.0f; };
  return {byte(0), byte(1), byte(2), s.size() == 9 ? byte(3) : 1.0f};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// ---- Shapes: signed distance in pixels, negative inside ----
using Sdf = std::function<float(float, float)>;

float Num(const json& a, size_t i) { return a.at(i).get<float>(); }

Sdf MakeShape(const json& layer) {
  if (layer.contains("rect")) {
    const json& r = layer["rect"];
    float x = Num(r, 0), y = Num(r, 1), w = Num(r, 2), h = Num(r, 3);
    float rad = std::min({layer.value("radius", 0.0f), w / 2, h / 2});
    float cx = x + w / 2, cy = y + h / 2, hx = w / 2 - rad, hy = h / 2 - rad;
    return [=](float px, float py) {
      float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
      float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
      return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - rad;
    };
  }
  if (layer.contains("circle")) {
    const json& c = layer["circle"];
    float cx = Num(c, 0), cy = Num(c, 1), r = Num(c, 2);
    return [=](float px, float py) { return std::hypot(px - cx, py - cy) - r; };
  }
  if (layer.contains("ellipse")) {
    const json& e = layer["ellipse"];
    float cx = Num(e, 0), cy = Num(e, 1), rx = Num(e, 2), ry = Num(e, 3);
    return [=](float px, float py) {
      // Distance estimate: the field divided by its gradient, exact enough for edge shading.
      float dx = (px - cx) / rx, dy = (py - cy) / ry;
      float k = std::hypot(dx, dy);
      float g = std::hypot(dx / rx, dy / ry);
      return g > 1e-6f ? (k - 1) * k / g : -std::min(rx, ry);
    };
  }
  if (layer.contains("polyline")) {
    std::vector<std::pair<float, float>> pts;
    for (const json& p : layer["polyline"]) pts.emplace_back(Num(p, 0), Num(p, 1));
    float half = layer.value("width", 1.0f) / 2;
    return [=](float px, float py) {
      float best = 1e9f;
      for (size_t i = 0; i + 1 < pts.size(); ++i) {
        auto [ax, ay] = pts[i];
        auto [bx, by] = pts[i + 1];
        float vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
        float t = len2 > 0 ? Clamp01(((px - ax) * vx + (py - ay) * vy) / len2) : 0;
        best = std::min(best, std::hypot(px - ax - t * vx, py - ay - t * vy));
      }
      return best - half;
    };
  }
  throw std::runtime_error("layer has no shape (rect, circle, ellipse, polyline, image)");
}

// ---- Paints ----
using Paint = std::function<Rgba(float, float)>;

Paint MakePaint(const json& fill) {
  if (fill.is_string()) {
    Rgba c = ParseColor(fill);
    return [=](float, float) { return c; };
  }
  std::vector<std::pair<float, Rgba>> stops;
  for (const json& s : fill.at("stops")) stops.emplace_back(s.at(0).get<float>(), ParseColor(s.at(1)));
  auto at = [stops](float t) {
    t = Clamp01(t);
    if (t <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i)
      if (t <= stops[i].first) {
        float span = stops[i].first - stops[i - 1].first;
        return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1);
      }
    return stops.back().second;
  };
  if (fill.contains("linear")) {
    const json& l = fill["linear"];
    float x0 = Num(l, 0), y0 = Num(l, 1), vx = Num(l, 2) - x0, vy = Num(l, 3) - y0;
    float len2 = std::max(vx * vx + vy * vy, 1e-6f);
    return [=](float px, float py) { return at(((px - x0) * vx + (py - y0) * vy) / len2); };
  }
  if (fill.contains("radial")) {
    const json& r = fill["radial"];
    float cx = Num(r, 0), cy = Num(r, 1), rad = std::max(Num(r, 2), 1e-3f);
    return [=](float px, float py) { return at(std::hypot(px - cx, py - cy) / rad); };
  }
  throw std::runtime_error("fill must be a colour, linear or radial");
}

struct Canvas {
  int w, h;
  std::vector<Rgba> px;  // straight alpha
  Canvas(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_) {}

  void Blend(int x, int y, Rgba src) {
    if (src.a <= 0) return;
    Rgba& d = px[static_cast<size_t>(y) * w + x];
    float a = src.a + d.a * (1 - src.a);
    if (a <= 0) return;
    d.r = (src.r * src.a + d.r * d.a * (1 - src.a)) / a;
    d.g = (src.g * src.a + d.g * d.a * (1 - src.a)) / a;
    d.b = (src.b * src.a + d.b * d.a * (1 - src.a)) / a;
    d.a = a;
  }
};

void DrawShapeLayer(Canvas& c, const json& layer) {
  Sdf shape = MakeShape(layer);
  if (layer.contains("clip")) {
    Sdf clip = MakeShape(layer["clip"]);
    shape = [shape, clip](float x, float y) { return std::max(shape(x, y), clip(x, y)); };
  }
  if (layer.contains("stroke")) {
    float half = layer["stroke"].get<float>() / 2;
    shape = [shape, half](float x, float y) { return std::fabs(shape(x, y)) - half; };
  }
  Paint paint = MakePaint(layer.value("fill", json("#000000")));
  const float opacity = layer.value("opacity", 1.0f);
  const float feather = std::max(layer.value("feather", 1.0f), 1.0f);  // width of the soft edge
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float cover = Clamp01(0.5f - shape(px, py) / feather);
      if (cover <= 0) continue;
      Rgba col = paint(px, py);
      col.a *= cover * opacity;
      c.Blend(x, y, col);
    }
}

void DrawImageLayer(Canvas& c, const json& layer, const fs::path& base) {
  const fs::path file = base / layer["image"].get<std::string>();
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, file.string().c_str()))
    throw std::runtime_error("cannot read " + file.string());
  img.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> buf(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr))
    throw std::runtime_error("cannot decode " + file.string());
  int ox = layer.value("x", 0), oy = layer.value("y", 0);
  float opacity = layer.value("opacity", 1.0f);
  for (int y = 0; y < static_cast<int>(img.height); ++y)
    for (int x = 0; x < static_cast<int>(img.width); ++x) {
      int tx = ox + x, ty = oy + y;
      if (tx < 0 || ty < 0 || tx >= c.w || ty >= c.h) continue;
      const uint8_t* p = &buf[(static_cast<size_t>(y) * img.width + x) * 4];
      c.Blend(tx, ty, {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f * opacity});
    }
}

uint32_t ToWord(const Rgba& c) {
  auto ch = [](float v) { return static_cast<uint32_t>(std::lround(Clamp01(v) * 255)); };
  return (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

platform::resfile::Pixels Render(const json& bitmap, const fs::path& base) {
  const int w = bitmap.at("width"), h = bitmap.at("height");
  if (w <= 0 || h <= 0 || w > 4096 || h > 4096) throw std::runtime_error("bad bitmap size");
  Canvas canvas(w, h);
  for (const json& layer : bitmap.at("layers")) {
    if (layer.contains("image"))
      DrawImageLayer(canvas, layer, base);
    else
      DrawShapeLayer(canvas, layer);
  }
  const uint32_t key = bitmap.contains("key") ? ToWord(ParseColor(bitmap["key"])) : 0;
  Rgba matte = ParseColor(bitmap.value("matte", json("#000000")));
  platform::resfile::Pixels out;
  out.width = w;
  out.height = h;
  out.xrgb.resize(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < out.xrgb.size(); ++i) {
    const Rgba& p = canvas.px[i];
    if (p.a < 0.5f / 255) {
      out.xrgb[i] = key;
      continue;
    }
    uint32_t word = ToWord(Mix(matte, {p.r, p.g, p.b, 1}, p.a));
    // A drawn pixel must never turn transparent by landing on the key colour.
    if (bitmap.contains("key") && word == key) word ^= 0x000001;
    out.xrgb[i] = word;
  }
  return out;
}

void WritePreview(const fs::path& file, const platform::resfile::Pixels& p) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = p.width;
  img.height = p.height;
  img.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb;
  rgb.reserve(p.xrgb.size() * 3);
  for (uint32_t w : p.xrgb) {
    rgb.push_back(static_cast<uint8_t>(w >> 16));
    rgb.push_back(static_cast<uint8_t>(w >> 8));
    rgb.push_back(static_cast<uint8_t>(w));
  }
  if (!png_image_write_to_file(&img, file.string().c_str(), 0, rgb.data(), 0, nullptr))
    throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--preview")) {
    std::cerr << "usage: parlo-skinpack SKIN.json OUT.dll [--preview DIR]\n";
    return 2;
  }
  try {
    const fs::path source = argv[1];
    std::ifstream in(source);
    if (!in) throw std::runtime_error("cannot open " + source.string());
    json skin = json::parse(in, nullptr, true, /*ignore_comments=*/true);
    platform::resfile::ContainerWriter writer;
    for (const json& bitmap : skin.at("bitmaps")) {
      const int id = bitmap.at("id");
      if (id <= 0 || id > 0xFFFF) throw std::runtime_error("bad bitmap id");
      auto pixels = Render(bitmap, source.parent_path());
      writer.AddBitmap(static_cast<uint16_t>(id), pixels);
      if (argc == 5) {
        fs::create_directories(argv[4]);
        WritePreview(fs::path(argv[4]) / (std::to_string(id) + "-" + bitmap.value("name", "bitmap") + ".png"),
                     pixels);
      }
    }
    const std::vector<uint8_t> bytes = writer.Build();
    const fs::path out = argv[2];
    const fs::path tmp = out.string() + ".tmp";
    {
      std::ofstream o(tmp, std::ios::binary);
      o.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!o) throw std::runtime_error("cannot write " + tmp.string());
    }
    fs::rename(tmp, out);
  } catch (const std::exception& e) {
    std::cerr << "parlo-skinpack: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
