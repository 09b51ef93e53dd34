// Object handles, stock objects, creation, selection and deletion of pens, brushes, fonts and bitmaps.
#include "platform/gdi/objects.h"

#include <cstring>
#include <mutex>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/screen_state.h"

namespace platform::gdi {

HandleTable<GdiObject>& Objects() {
  static HandleTable<GdiObject>* table = new HandleTable<GdiObject>(kTagGdi);
  return *table;
}

uint32_t AddObject(std::shared_ptr<GdiObject> object) { return Objects().Add(std::move(object)); }

std::shared_ptr<GdiObject> FindObject(const void* handle) {
  uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  if (v == 0 || v > 0xFFFFFFFFu) return nullptr;
  return Objects().Get(static_cast<uint32_t>(v));
}

DcObject* PeekDc(HDC hdc) {
  GdiObject* o = Objects().Peek(FromHandle(hdc));
  return o && o->kind == Kind::Dc ? static_cast<DcObject*>(o) : nullptr;
}

namespace {

std::shared_ptr<BrushObject> MakeBrush(COLORREF color, bool null) {
  auto b = std::make_shared<BrushObject>();
  b->color = color & 0xFFFFFF;
  b->null = null;
  return b;
}

std::shared_ptr<PenObject> MakePen(int style, int width, COLORREF color) {
  auto p = std::make_shared<PenObject>();
  p->style = style;
  p->width = width < 1 ? 1 : width;
  p->color = color & 0xFFFFFF;
  return p;
}

LOGFONTW DefaultLogFont() {
  LOGFONTW lf{};
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  const char16_t* name = u"Tahoma";
  for (int i = 0; name[i]; ++i) lf.lfFaceName[i] = name[i];
  return lf;
}

struct Stock {
  uint32_t handles[20] = {};
  uint32_t defaultBitmap = 0;
};

Stock& Stocks() {
  static Stock* stock = [] {
    auto* s = new Stock();
    auto add = [&](int index, std::shared_ptr<GdiObject> o) {
      o->stock = true;
      s->handles[index] = AddObject(std::move(o));
    };
    add(WHITE_BRUSH, MakeBrush(RGB(255, 255, 255), false));
    add(LTGRAY_BRUSH, MakeBrush(RGB(192, 192, 192), false));
    add(GRAY_BRUSH, MakeBrush(RGB(128, 128, 128), false));
    add(DKGRAY_BRUSH, MakeBrush(RGB(64, 64, 64), false));
    add(BLACK_BRUSH, MakeBrush(RGB(0, 0, 0), false));
    add(NULL_BRUSH, MakeBrush(0, true));
    add(WHITE_PEN, MakePen(PS_SOLID, 1, RGB(255, 255, 255)));
    add(BLACK_PEN, MakePen(PS_SOLID, 1, RGB(0, 0, 0)));
    add(NULL_PEN, MakePen(PS_NULL, 1, 0));
    auto font = std::make_shared<FontObject>();
    font->logfont = DefaultLogFont();
    add(SYSTEM_FONT, font);
    s->handles[DEFAULT_GUI_FONT] = s->handles[SYSTEM_FONT];
    auto bmp = std::make_shared<BitmapObject>();
    bmp->surface = std::make_shared<Surface>(1, 1);
    bmp->stock = true;
    s->defaultBitmap = AddObject(bmp);
    return s;
  }();
  return *stock;
}

}  // namespace

uint32_t StockHandle(int object) {
  if (object < 0 || object >= 20) return 0;
  return Stocks().handles[object];
}

void SelectDefaults(DcState& st) {
  st.brushHandle = StockHandle(WHITE_BRUSH);
  st.brush = Find<BrushObject>(ToHandle<HGDIOBJ>(st.brushHandle), Kind::Brush);
  st.penHandle = StockHandle(BLACK_PEN);
  st.pen = Find<PenObject>(ToHandle<HGDIOBJ>(st.penHandle), Kind::Pen);
  st.fontHandle = StockHandle(SYSTEM_FONT);
  st.font = Find<FontObject>(ToHandle<HGDIOBJ>(st.fontHandle), Kind::Font);
  st.bitmapHandle = Stocks().defaultBitmap;
  st.bitmap = Find<BitmapObject>(ToHandle<HGDIOBJ>(st.bitmapHandle), Kind::Bitmap);
}

FontInstance& DcFont(DcObject& dc) {
  FontObject& f = *dc.state.font;
  if (!f.instance) {
    // lfHeight 0 asks for the system's default size: 9 points on this screen.
    int dpi = ScreenDpiY();
    f.instance = FontInstance::Get(f.logfont, (9 * dpi + 36) / 72);
  }
  return *f.instance;
}

uint32_t NewBitmap(int width, int height, bool bottomUp, bool dib, std::shared_ptr<Surface>* out) {
  auto b = std::make_shared<BitmapObject>();
  b->surface = std::make_shared<Surface>(width, height, bottomUp);
  b->dibSection = dib;
  if (out) *out = b->surface;
  return AddObject(b);
}

}  // namespace platform::gdi

using namespace platform;
using namespace platform::gdi;

HGDIOBJ GetStockObject(int object) {
  uint32_t h = StockHandle(object);
  return h ? ToHandle<HGDIOBJ>(h) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<BrushObject>();
  b->color = color & 0xFFFFFF;
  return ToHandle<HBRUSH>(AddObject(b));
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID && style != PS_NULL && style != PS_DASH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PenObject>();
  p->style = style;
  p->width = width < 1 ? 1 : width;  // width 0 is one pixel, as the system draws it
  p->color = color & 0xFFFFFF;
  return ToHandle<HPEN>(AddObject(p));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObject>();
  f->logfont = *font;
  f->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
  return ToHandle<HFONT>(AddObject(f));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (!PeekDc(hdc) || width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return ToHandle<HBITMAP>(Stocks().defaultBitmap);
  return ToHandle<HBITMAP>(NewBitmap(width, height, false, false, nullptr));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width <= 0 || height <= 0 || planes != 1 || bitsPerPixel != 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::shared_ptr<Surface> s;
  uint32_t h = NewBitmap(width, height, false, false, &s);
  if (bits)
    for (int y = 0; y < height; ++y)
      std::memcpy(s->Row(y), static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * width * 4,
                  static_cast<size_t>(width) * 4);
  return ToHandle<HBITMAP>(h);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
  if (bits) *bits = nullptr;
  if (!info || info->bmiHeader.biWidth <= 0 || info->bmiHeader.biHeight == 0 ||
      info->bmiHeader.biBitCount != 32 ||
      (info->bmiHeader.biCompression != BI_RGB && info->bmiHeader.biCompression != BI_BITFIELDS) ||
      section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int height = info->bmiHeader.biHeight;
  std::shared_ptr<Surface> s;
  uint32_t h = NewBitmap(info->bmiHeader.biWidth, height < 0 ? -height : height, height > 0, true, &s);
  if (bits) *bits = s->bits();
  return ToHandle<HBITMAP>(h);
}

DWORD GetObjectType(HGDIOBJ object) {
  auto o = FindObject(object);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Dc: return static_cast<DcObject*>(o.get())->memory ? OBJ_MEMDC : OBJ_DC;
  }
  return 0;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  auto o = FindObject(object);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto give = [&](const void* data, int bytes) {
    if (!buffer) return bytes;
    int n = size < bytes ? size : bytes;
    if (n <= 0) return 0;
    std::memcpy(buffer, data, static_cast<size_t>(n));
    return n;
  };
  switch (o->kind) {
    case Kind::Bitmap: {
      auto* b = static_cast<BitmapObject*>(o.get());
      BITMAP bm{};
      bm.bmWidth = b->surface->width();
      bm.bmHeight = b->surface->height();
      bm.bmWidthBytes = bm.bmWidth * 4;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = 32;
      bm.bmBits = b->dibSection ? b->surface->bits() : nullptr;
      return give(&bm, sizeof(bm));
    }
    case Kind::Font:
      return give(&static_cast<FontObject*>(o.get())->logfont, sizeof(LOGFONTW));
    case Kind::Pen: {
      auto* p = static_cast<PenObject*>(o.get());
      LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->color};
      return give(&lp, sizeof(lp));
    }
    case Kind::Brush: {
      auto* b = static_cast<BrushObject*>(o.get());
      LOGBRUSH lb{static_cast<UINT>(b->null ? BS_NULL : BS_SOLID), b->color, 0};
      return give(&lb, sizeof(lb));
    }
    case Kind::Dc:
      break;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
  auto o = FindObject(object);
  if (!o || o->kind == Kind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock) return FALSE;  // stock objects outlive every caller
  // A DC that still has it selected keeps its own reference and goes on drawing with it.
  Objects().Remove(FromHandle(object));
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  DcObject* dc = PeekDc(hdc);
  auto o = FindObject(object);
  if (!dc || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  uint32_t h = FromHandle(object);
  DcState& st = dc->state;
  uint32_t previous = 0;
  switch (o->kind) {
    case Kind::Brush:
      previous = st.brushHandle;
      st.brushHandle = h;
      st.brush = std::static_pointer_cast<BrushObject>(o);
      break;
    case Kind::Pen:
      previous = st.penHandle;
      st.penHandle = h;
      st.pen = std::static_pointer_cast<PenObject>(o);
      break;
    case Kind::Font:
      previous = st.fontHandle;
      st.fontHandle = h;
      st.font = std::static_pointer_cast<FontObject>(o);
      break;
    case Kind::Bitmap: {
      if (!dc->memory) return nullptr;  // only memory DCs draw into bitmaps
      previous = st.bitmapHandle;
      st.bitmapHandle = h;
      st.bitmap = std::static_pointer_cast<BitmapObject>(o);
      dc->surface = st.bitmap->surface;
      dc->baseClip = {dc->surface->bounds()};
      st.clip = dc->baseClip;
      for (DcState& saved : dc->saved) saved.clip = dc->baseClip;
      break;
    }
    case Kind::Dc:
      return nullptr;
  }
  return ToHandle<HGDIOBJ>(previous);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DcObject* dc = PeekDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return ToHandle<HGDIOBJ>(dc->state.penHandle);
    case OBJ_BRUSH: return ToHandle<HGDIOBJ>(dc->state.brushHandle);
    case OBJ_FONT: return ToHandle<HGDIOBJ>(dc->state.fontHandle);
    case OBJ_BITMAP: return ToHandle<HGDIOBJ>(dc->state.bitmapHandle);
  }
  return nullptr;
}
