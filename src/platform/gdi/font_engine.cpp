#include "platform/gdi/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <map>
#include <mutex>

#include "platform/base/text.h"

namespace platform::gdi {

struct FaceRef {
  FT_Face face = nullptr;
  int id = 0;
  bool bold = false;
  bool italic = false;
  int upem = 1000;
  int winAscent = 800, winDescent = 200;
  int lineGapExtra = 0;  // hhea line gap beyond the win metrics, font units
  int avgWidth = 0;
  int bboxWidth = 0;
  std::u16string family;
};

namespace {

// The face that serves names this system does not have: it covers Hangul and Latin.
constexpr const char* kKoreanFace = "NanumGothic";

struct GlyphKey {
  int face, em;
  uint32_t index;
  bool bold, italic;
  bool operator==(const GlyphKey&) const = default;
};
struct GlyphKeyHash {
  size_t operator()(const GlyphKey& k) const {
    uint64_t h = (static_cast<uint64_t>(k.face) << 48) ^ (static_cast<uint64_t>(k.em) << 32) ^ k.index;
    h ^= (k.bold ? 1ull << 62 : 0) ^ (k.italic ? 1ull << 63 : 0);
    return std::hash<uint64_t>()(h);
  }
};

struct Engine {
  std::recursive_mutex mutex;
  FT_Library library = nullptr;
  std::map<std::pair<std::string, int>, std::unique_ptr<FaceRef>> faces;  // by file and index
  std::map<std::string, FaceRef*> primaries;                              // by name/bold/italic
  std::map<std::pair<char32_t, int>, FaceRef*> fallbacks;                 // by code point/style
  std::unordered_map<GlyphKey, std::unique_ptr<Glyph>, GlyphKeyHash> glyphs;
  std::map<std::string, std::shared_ptr<FontInstance>> instances;
  Glyph empty;

  Engine() {
    FcInit();
    FT_Init_FreeType(&library);
  }
};

Engine& E() {
  static Engine* engine = new Engine();  // lives for the process: glyphs are referenced by pointer
  return *engine;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

FaceRef* LoadFace(const std::string& file, int index) {
  Engine& e = E();
  auto key = std::make_pair(file, index);
  auto it = e.faces.find(key);
  if (it != e.faces.end()) return it->second.get();
  FT_Face face = nullptr;
  if (FT_New_Face(e.library, file.c_str(), index, &face) != 0) return nullptr;
  auto ref = std::make_unique<FaceRef>();
  ref->face = face;
  ref->id = static_cast<int>(e.faces.size()) + 1;
  ref->bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  ref->italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  ref->upem = face->units_per_EM ? face->units_per_EM : 1000;
  ref->family = Utf8ToUtf16(face->family_name ? face->family_name : "");
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && (os2->usWinAscent || os2->usWinDescent)) {
    ref->winAscent = os2->usWinAscent;
    ref->winDescent = os2->usWinDescent;
    ref->avgWidth = os2->xAvgCharWidth;
  } else {
    ref->winAscent = face->ascender;
    ref->winDescent = -face->descender;
  }
  if (hhea) {
    int hheaSpan = hhea->Ascender - hhea->Descender;
    int extra = hhea->Line_Gap - ((ref->winAscent + ref->winDescent) - hheaSpan);
    ref->lineGapExtra = extra > 0 ? extra : 0;
  }
  ref->bboxWidth = static_cast<int>(face->bbox.xMax - face->bbox.xMin);
  FaceRef* raw = ref.get();
  e.faces.emplace(key, std::move(ref));
  return raw;
}

FcPattern* StylePattern(const std::string& family, bool bold, bool italic) {
  FcPattern* pat = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  return pat;
}

FaceRef* FaceFromPattern(FcPattern* font) {
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  return LoadFace(reinterpret_cast<const char*>(file), index);
}

// Matches `family` only when the system really has it (fontconfig always answers something).
FaceRef* MatchExact(const std::string& family, bool bold, bool italic) {
  FcPattern* pat = StylePattern(family, bold, italic);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return nullptr;
  bool same = false;
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (Lower(reinterpret_cast<const char*>(name)) == Lower(family)) same = true;
  FaceRef* face = same ? FaceFromPattern(match) : nullptr;
  FcPatternDestroy(match);
  return face;
}

FaceRef* PrimaryFace(const std::string& family, bool bold, bool italic) {
  Engine& e = E();
  std::string key = Lower(family) + (bold ? "|b" : "|") + (italic ? "i" : "");
  auto it = e.primaries.find(key);
  if (it != e.primaries.end()) return it->second;
  FaceRef* face = family.empty() ? nullptr : MatchExact(family, bold, italic);
  if (!face) face = MatchExact(kKoreanFace, bold, italic);
  if (!face) {
    FcPattern* pat = StylePattern("sans-serif", bold, italic);
    FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("ko"));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    if (match) {
      face = FaceFromPattern(match);
      FcPatternDestroy(match);
    }
  }
  e.primaries[key] = face;
  return face;
}

FaceRef* FallbackFace(char32_t cp, bool bold, bool italic) {
  Engine& e = E();
  auto key = std::make_pair(cp, (bold ? 1 : 0) | (italic ? 2 : 0));
  auto it = e.fallbacks.find(key);
  if (it != e.fallbacks.end()) return it->second;
  FaceRef* found = nullptr;
  FcPattern* pat = StylePattern("", bold, italic);
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, cp);
  FcPatternAddCharSet(pat, FC_CHARSET, cs);
  FcCharSetDestroy(cs);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcFontSet* set = FcFontSort(nullptr, pat, FcFalse, nullptr, &result);
  FcPatternDestroy(pat);
  if (set) {
    for (int i = 0; i < set->nfont && !found; ++i) {
      FcCharSet* fontChars = nullptr;
      if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &fontChars) == FcResultMatch &&
          FcCharSetHasChar(fontChars, cp)) {
        found = FaceFromPattern(set->fonts[i]);
        if (found && FT_Get_Char_Index(found->face, cp) == 0) found = nullptr;
      }
    }
    FcFontSetDestroy(set);
  }
  e.fallbacks[key] = found;
  return found;
}

int RoundDiv(int64_t num, int64_t den) {
  return static_cast<int>((num * 2 + (num >= 0 ? den : -den)) / (den * 2));
}

}  // namespace

std::shared_ptr<FontInstance> FontInstance::Get(const LOGFONTW& lf, int defaultEm) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> lock(e.mutex);
  std::u16string name16;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) name16 += lf.lfFaceName[i];
  std::string name = Utf16ToUtf8(name16);
  bool bold = lf.lfWeight >= 600;
  bool italic = lf.lfItalic != 0;
  std::string key = std::to_string(lf.lfHeight) + "|" + std::to_string(defaultEm) + "|" +
                    (bold ? "b" : "") + (italic ? "i" : "") + "|" + Lower(name);
  auto it = e.instances.find(key);
  if (it != e.instances.end()) return it->second;

  FaceRef* face = PrimaryFace(name, bold, italic);
  int em = 0, cell = 0;
  if (lf.lfHeight < 0) {
    em = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    cell = lf.lfHeight;
    int span = face ? face->winAscent + face->winDescent : 1;
    em = face ? RoundDiv(static_cast<int64_t>(cell) * face->upem, span) : cell;
  } else {
    em = defaultEm;
  }
  if (em < 1) em = 1;
  auto inst = std::make_shared<FontInstance>(face, em, bold, italic);
  FontMetrics& m = inst->metrics_;
  m.weight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  if (cell > 0 && face) {
    // A positive height is the cell: ascent and descent share it in the face's proportions.
    m.ascent = RoundDiv(static_cast<int64_t>(cell) * face->winAscent, face->winAscent + face->winDescent);
    m.descent = cell - m.ascent;
    m.height = cell;
    m.internalLeading = cell - em;
  }
  if (!lf.lfFaceName[0]) inst->faceName_ = face ? face->family : u"";
  else inst->faceName_ = name16;
  e.instances[key] = inst;
  return inst;
}

FontInstance::FontInstance(const FaceRef* face, int em, bool bold, bool italic)
    : face_(face), em_(em), bold_(bold), italic_(italic) {
  FontMetrics& m = metrics_;
  m.em = em;
  if (face) {
    m.ascent = RoundDiv(static_cast<int64_t>(face->winAscent) * em, face->upem);
    m.descent = RoundDiv(static_cast<int64_t>(face->winDescent) * em, face->upem);
    m.externalLeading = RoundDiv(static_cast<int64_t>(face->lineGapExtra) * em, face->upem);
    m.aveCharWidth = RoundDiv(static_cast<int64_t>(face->avgWidth) * em, face->upem);
    m.maxCharWidth = RoundDiv(static_cast<int64_t>(face->bboxWidth) * em, face->upem);
  } else {
    m.ascent = em * 4 / 5;
    m.descent = em - m.ascent;
  }
  m.height = m.ascent + m.descent;
  m.internalLeading = m.height - em;
  if (m.internalLeading < 0) m.internalLeading = 0;
  if (m.aveCharWidth <= 0) m.aveCharWidth = (em + 1) / 2;
  if (m.maxCharWidth <= 0) m.maxCharWidth = em;
}

const Glyph& FontInstance::GlyphFor(char32_t cp) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> lock(e.mutex);
  auto found = byCodePoint_.find(cp);
  if (found != byCodePoint_.end()) return *found->second;

  const Glyph* result = &e.empty;
  if (cp >= 0x20 && cp != 0x7F && face_) {
    const FaceRef* face = face_;
    FT_UInt index = FT_Get_Char_Index(face->face, cp);
    if (index == 0) {
      if (FaceRef* other = FallbackFace(cp, bold_, italic_)) {
        face = other;
        index = FT_Get_Char_Index(face->face, cp);
      }
    }
    bool synthBold = bold_ && !face->bold;
    bool synthItalic = italic_ && !face->italic;
    GlyphKey key{face->id, em_, index, synthBold, synthItalic};
    auto cached = e.glyphs.find(key);
    if (cached != e.glyphs.end()) {
      result = cached->second.get();
    } else {
      auto glyph = std::make_unique<Glyph>();
      FT_Face ft = face->face;
      FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(em_));
      if (FT_Load_Glyph(ft, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) == 0) {
        FT_GlyphSlot slot = ft->glyph;
        if (synthBold) FT_GlyphSlot_Embolden(slot);
        if (synthItalic) FT_GlyphSlot_Oblique(slot);
        glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
          const FT_Bitmap& bm = slot->bitmap;
          glyph->left = slot->bitmap_left;
          glyph->top = slot->bitmap_top;
          glyph->width = static_cast<int>(bm.width);
          glyph->height = static_cast<int>(bm.rows);
          glyph->coverage.resize(static_cast<size_t>(glyph->width) * glyph->height);
          for (int y = 0; y < glyph->height; ++y) {
            const uint8_t* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            std::copy(src, src + glyph->width, glyph->coverage.begin() + static_cast<size_t>(y) * glyph->width);
          }
        }
      }
      result = glyph.get();
      e.glyphs.emplace(key, std::move(glyph));
    }
  }
  byCodePoint_[cp] = result;
  return *result;
}

void Advances(FontInstance& font, const char16_t* text, int count, std::vector<int>* out) {
  out->assign(static_cast<size_t>(count > 0 ? count : 0), 0);
  for (int i = 0; i < count; ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      (*out)[i] = font.Advance(cp);
      ++i;  // the low half adds nothing
      continue;
    }
    (*out)[i] = font.Advance(cp);
  }
}

}  // namespace platform::gdi
