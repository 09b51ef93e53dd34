// The screen framebuffer and the DCs the window manager hands out for it.
#include "platform/gdi/screen.h"

#include "platform/gdi/objects.h"
#include "platform/gdi/screen_state.h"

namespace platform::gdi {

namespace {

constexpr int kDefaultWidth = 480, kDefaultHeight = 800, kDefaultDpi = 192;

struct Screen {
  std::shared_ptr<Surface> surface;
  int dpiX = kDefaultDpi, dpiY = kDefaultDpi;
};

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

}  // namespace

void CreateScreen(int width, int height, int dpiX, int dpiY) {
  Screen& s = TheScreen();
  s.surface = std::make_shared<Surface>(width, height);
  s.dpiX = dpiX > 0 ? dpiX : kDefaultDpi;
  s.dpiY = dpiY > 0 ? dpiY : kDefaultDpi;
}

std::shared_ptr<Surface> ScreenSurface() {
  Screen& s = TheScreen();
  if (!s.surface) s.surface = std::make_shared<Surface>(kDefaultWidth, kDefaultHeight);
  return s.surface;
}

int ScreenDpiX() { return TheScreen().dpiX; }
int ScreenDpiY() { return TheScreen().dpiY; }
int ScreenWidth() { return ScreenSurface()->width(); }
int ScreenHeight() { return ScreenSurface()->height(); }

HDC CreateScreenDC(POINT origin, const std::vector<RECT>& visible) {
  auto dc = std::make_shared<DcObject>();
  dc->surface = ScreenSurface();
  dc->origin = origin;
  for (const RECT& r : visible) {
    RECT c = Intersect(r, dc->surface->bounds());
    if (!IsEmpty(c)) dc->baseClip.push_back(c);
  }
  SelectDefaults(dc->state);
  dc->state.clip = dc->baseClip;
  return ToHandle<HDC>(AddObject(dc));
}

void DeleteScreenDC(HDC hdc) {
  DcObject* dc = PeekDc(hdc);
  if (dc && !dc->memory) Objects().Remove(FromHandle(hdc));
}

std::vector<TextRun> ScreenTextRuns() { return ScreenSurface()->text().runs(); }

const uint32_t* ScreenPixels() { return ScreenSurface()->Row(0); }

uint32_t ScreenPixel(int x, int y) {
  auto s = ScreenSurface();
  if (x < 0 || y < 0 || x >= s->width() || y >= s->height()) return 0;
  return s->Row(y)[x];
}

bool WriteScreenPng(const std::string& path) {
  auto s = ScreenSurface();
  return WritePng(path, s->Row(0), s->width(), s->height(), s->width());
}

}  // namespace platform::gdi
