// System colours: the classic defaults of the phone's shell.
#include "platform/gdi/objects.h"

using namespace platform;
using namespace platform::gdi;

namespace {
constexpr COLORREF kColors[] = {
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(255, 255, 255),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(223, 223, 223),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(192, 192, 192),  // COLOR_STATIC
    RGB(0, 0, 0),        // COLOR_STATICTEXT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
};
constexpr int kCount = sizeof(kColors) / sizeof(kColors[0]);
}  // namespace

DWORD GetSysColor(int index) {
  index &= ~SYS_COLOR_INDEX_FLAG;
  if (index < 0 || index >= kCount) return 0;
  return kColors[index];
}

HBRUSH GetSysColorBrush(int index) {
  static HBRUSH brushes[kCount] = {};
  index &= ~SYS_COLOR_INDEX_FLAG;
  if (index < 0 || index >= kCount) return nullptr;
  if (!brushes[index]) {
    auto b = std::make_shared<BrushObject>();
    b->color = kColors[index];
    b->stock = true;
    brushes[index] = ToHandle<HBRUSH>(AddObject(b));
  }
  return brushes[index];
}
