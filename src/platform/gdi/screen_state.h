// The screen surface and its dots per inch, as the rest of the drawing room sees them.
#pragma once
#include <memory>

#include "platform/gdi/surface.h"

namespace platform::gdi {

// The screen (made on first use at the default size when nobody created it).
std::shared_ptr<Surface> ScreenSurface();
int ScreenDpiX();
int ScreenDpiY();

}  // namespace platform::gdi
