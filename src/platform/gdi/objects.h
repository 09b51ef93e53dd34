// GDI objects behind handles: bitmaps, brushes, pens, fonts and device contexts share one
// handle table, so a stale or foreign handle resolves to nothing.
#pragma once
#include <memory>
#include <vector>

#include "wingdi.h"
#include "platform/base/handle_table.h"
#include "platform/gdi/surface.h"

namespace platform::gdi {

class FontInstance;

enum class Kind { Bitmap, Brush, Pen, Font, Dc };

struct GdiObject {
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
  Kind kind;
  bool stock = false;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(Kind::Bitmap) {}
  std::shared_ptr<Surface> surface;
  bool dibSection = false;
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(Kind::Brush) {}
  bool null = false;
  COLORREF color = 0;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
  bool null() const { return style == PS_NULL; }
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(Kind::Font) {}
  LOGFONTW logfont{};
  std::shared_ptr<FontInstance> instance;  // resolved on first use
};

// What SaveDC keeps: selections (handle plus a reference, so deleting a selected object is
// harmless), colours, modes, position and clipping.
struct DcState {
  uint32_t bitmapHandle = 0, brushHandle = 0, penHandle = 0, fontHandle = 0;
  std::shared_ptr<BitmapObject> bitmap;
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<PenObject> pen;
  std::shared_ptr<FontObject> font;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  POINT position{0, 0};
  POINT viewport{0, 0};
  std::vector<RECT> clip;  // device pixels; their union is where drawing lands
};

struct DcObject : GdiObject {
  DcObject() : GdiObject(Kind::Dc) {}
  bool memory = false;
  std::shared_ptr<Surface> surface;  // the screen, or the selected bitmap's surface
  POINT origin{0, 0};                // screen DCs: the window's client origin
  std::vector<RECT> baseClip;        // what the DC may touch before IntersectClipRect
  DcState state;
  std::vector<DcState> saved;

  // Logical to device (surface) coordinates.
  int DevX(int x) const { return x + origin.x + state.viewport.x; }
  int DevY(int y) const { return y + origin.y + state.viewport.y; }
  RECT DevRect(const RECT& r) const {
    return RECT{DevX(r.left), DevY(r.top), DevX(r.right), DevY(r.bottom)};
  }
};

HandleTable<GdiObject>& Objects();
uint32_t AddObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> FindObject(const void* handle);

template <typename T>
std::shared_ptr<T> Find(const void* handle, Kind kind) {
  std::shared_ptr<GdiObject> o = FindObject(handle);
  if (!o || o->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(o);
}

// A DC for drawing on the UI thread's hot paths (the table keeps it alive).
DcObject* PeekDc(HDC hdc);

// Stock objects, created on first use and never deleted.
uint32_t StockHandle(int object);

// Puts the stock selections into a fresh DC state.
void SelectDefaults(DcState& state);

// The DC's brush/pen/font instance, never null for a live DC.
FontInstance& DcFont(DcObject& dc);

// Creates a bitmap object around a new surface; returns its handle value.
uint32_t NewBitmap(int width, int height, bool bottomUp, bool dib, std::shared_ptr<Surface>* out);

}  // namespace platform::gdi
