#include "draw/point_font.h"

#include <cstdint>
#include <cstdlib>

namespace parlo {

LONG PointFontHeight(int tenths, int dpi) {
  const int64_t height = static_cast<int64_t>(dpi) * tenths / 720;
  return static_cast<LONG>(-std::llabs(height));
}

HFONT CreatePointFont(FontHolder& holder, int tenths, LPCWSTR face, HDC dc, bool bold, bool italic) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  if (face) StringCchCopyW(lf.lfFaceName, LF_FACESIZE, face);
  if (bold) lf.lfWeight = FW_BOLD;
  if (italic) lf.lfItalic = 1;

  HDC source = dc ? dc : GetDC(nullptr);
  const int dpi = source ? GetDeviceCaps(source, LOGPIXELSY) : 0;
  if (!dc && source) ReleaseDC(nullptr, source);
  lf.lfHeight = PointFontHeight(tenths, dpi > 0 ? dpi : 96);

  holder.Reset(CreateFontIndirectW(&lf));
  return holder.Get();
}

}  // namespace parlo
