// The screen as automation, tests and the display read it: pixels, visible texts, PNG.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/text_layer.h"
#include "platform/gdi/window_dc.h"

namespace platform::gdi {

// The texts visible on the screen now, in drawing order, in screen pixels.
std::vector<TextRun> ScreenTextRuns();
// ScreenWidth() * ScreenHeight() pixels, 0x00RRGGBB, rows top to bottom.
const uint32_t* ScreenPixels();
uint32_t ScreenPixel(int x, int y);  // 0 outside the screen
bool WriteScreenPng(const std::string& path);
// Any surface pixels as an RGB PNG (rows top to bottom, `stride` pixels apart).
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height, int stride);

}  // namespace platform::gdi
