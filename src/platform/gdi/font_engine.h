// Fonts: a LOGFONT resolved to FreeType faces at a pixel size, with anti-aliased glyphs cached
// by face, size and glyph. Any face name the system does not have (Tahoma, the dialog face) is
// served by a Korean-capable face; characters it lacks come from fontconfig's fallback faces.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "wingdi.h"

namespace platform::gdi {

struct Glyph {
  int advance = 0;           // pixels to the next pen position
  int left = 0, top = 0;     // bitmap offset from the pen position on the baseline
  int width = 0, height = 0;
  std::vector<uint8_t> coverage;  // width * height, 0..255
};

struct FontMetrics {
  int height = 0;  // ascent + descent: the line height DrawTextW uses
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int em = 0;  // character height in pixels (height - internal leading)
  int weight = FW_NORMAL;
};

struct FaceRef;

class FontInstance {
 public:
  // Shared per distinct (height, weight, italic, face); `defaultEm` serves lfHeight 0.
  static std::shared_ptr<FontInstance> Get(const LOGFONTW& logfont, int defaultEm);

  const FontMetrics& metrics() const { return metrics_; }
  const std::u16string& faceName() const { return faceName_; }
  // The glyph for a code point (a missing one gives an empty glyph with the default advance).
  const Glyph& GlyphFor(char32_t cp);
  int Advance(char32_t cp) { return GlyphFor(cp).advance; }

  FontInstance(const FaceRef* face, int em, bool bold, bool italic);

 private:
  const FaceRef* face_;
  int em_;
  bool bold_, italic_;
  FontMetrics metrics_;
  std::u16string faceName_;
  std::unordered_map<char32_t, const Glyph*> byCodePoint_;
};

// Per UTF-16 unit advances of `text` (the low half of a surrogate pair gets 0), so prefix sums
// give the extents that DrawTextW and GetTextExtentExPointW both use.
void Advances(FontInstance& font, const char16_t* text, int count, std::vector<int>* out);

}  // namespace platform::gdi
