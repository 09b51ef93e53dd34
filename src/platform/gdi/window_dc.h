// What the window manager needs of the drawing room: the screen and DCs onto parts of it.
#pragma once
#include <vector>

#include "windef.h"

namespace platform::gdi {

// The screen framebuffer (created by the display with its size and dots per inch).
void CreateScreen(int width, int height, int dpiX, int dpiY);
int ScreenWidth();
int ScreenHeight();

// A DC drawing onto the screen: coordinates relative to `origin` (screen coordinates of the
// window's client area), clipped to `visible` (screen rectangles, their union is the clip).
HDC CreateScreenDC(POINT origin, const std::vector<RECT>& visible);
void DeleteScreenDC(HDC dc);

}  // namespace platform::gdi
