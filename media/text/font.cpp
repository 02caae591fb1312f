#include "media/text/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/text/glyph_cache.h"
#include "platform/text_encoding.h"

// fontconfig never frees a few bytes of its parsed configuration (even FcFini leaves
// them behind); leak checks of sanitizer builds are told so, and only that.
#if defined(__SANITIZE_ADDRESS__)
#define MIRELUNE_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIRELUNE_LEAK_CHECKS 1
#endif
#endif
#ifdef MIRELUNE_LEAK_CHECKS
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace ml {

struct FreeTypeLibrary {
  FT_Library library = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library) FT_Done_FreeType(library);
  }
};

namespace {

constexpr int kMaxFontHeight = 2048;

FT_Face asFace(void* p) { return static_cast<FT_Face>(p); }

// Family names compare without regard to ASCII case, spaces and the width of
// full-width Latin letters ("ＭＳ ゴシック" is "MS ゴシック").
std::u32string foldFamily(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len && i + k < utf8.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += len;
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;  // full-width ASCII
    if (c == 0x3000 || c == U' ') continue;
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
    out.push_back(c);
  }
  return out;
}

bool patternHasFamily(FcPattern* p, const std::u32string& folded) {
  FcChar8* fam = nullptr;
  for (int i = 0; FcPatternGetString(p, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
    if (foldFamily(reinterpret_cast<const char*>(fam)) == folded) return true;
  return false;
}

bool patternHasJapanese(FcPattern* p) {
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(p, FC_LANG, 0, &langs) != FcResultMatch) return false;
  return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
}

FontMatch matchFromPattern(FcPattern* p) {
  FontMatch m;
  FcChar8* file = nullptr;
  if (FcPatternGetString(p, FC_FILE, 0, &file) == FcResultMatch)
    m.file = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(p, FC_INDEX, 0, &index) == FcResultMatch) m.index = index;
  FcChar8* fam = nullptr;
  if (FcPatternGetString(p, FC_FAMILY, 0, &fam) == FcResultMatch)
    m.family = reinterpret_cast<const char*>(fam);
  return m;
}

FcPattern* basePattern(bool bold, bool italic) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  return pat;
}

// The best match for one family, kept only when fontconfig really found that family
// (fontconfig always offers something).
bool matchFamily(const std::string& familyUtf8, bool bold, bool italic, FontMatch& out) {
  FcPattern* pat = basePattern(bold, italic);
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pat, &result);
  bool ok = false;
  if (found && patternHasFamily(found, foldFamily(familyUtf8))) {
    out = matchFromPattern(found);
    ok = !out.file.empty();
  }
  if (found) FcPatternDestroy(found);
  FcPatternDestroy(pat);
  return ok;
}

// Any font that covers Japanese, else anything at all.
bool matchAnyJapanese(bool bold, bool italic, FontMatch& out) {
  FcPattern* pat = basePattern(bold, italic);
  FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pat, FcFalse, nullptr, &result);
  bool ok = false;
  if (set) {
    for (int i = 0; i < set->nfont && !ok; ++i) {
      if (!patternHasJapanese(set->fonts[i])) continue;
      out = matchFromPattern(set->fonts[i]);
      ok = !out.file.empty();
    }
    if (!ok && set->nfont > 0) {
      out = matchFromPattern(set->fonts[0]);
      ok = !out.file.empty();
    }
    FcFontSetDestroy(set);
  }
  FcPatternDestroy(pat);
  return ok;
}

// 8-bit coverage to the 65 levels of outline bitmaps.
std::uint8_t toLevel65(unsigned v) { return static_cast<std::uint8_t>((v * 64 + 127) / 255); }

}  // namespace

// --- Font ------------------------------------------------------------------------

Font::Font() : cache_(std::make_unique<GlyphCache>()) {}

Font::~Font() {
  if (face_) FT_Done_Face(asFace(face_));
}

bool Font::render(std::uint32_t codePoint, bool outline, GlyphBitmap& out) const {
  out = GlyphBitmap{};
  if (!face_ || codePoint == 0) return false;
  FT_Face face = asFace(face_);
  FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) return false;
  FT_Int32 flags = FT_IS_SCALABLE(face) ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT;
  if (FT_Load_Glyph(face, index, flags) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    // Faces without their own bold or italic are emboldened and slanted, as the
    // system's font mapper does.
    if (emboldenOutline_) FT_GlyphSlot_Embolden(slot);
    if (slantOutline_) FT_GlyphSlot_Oblique(slot);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bm = slot->bitmap;
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  out.width = static_cast<int>(bm.width);
  out.rows = static_cast<int>(bm.rows);
  out.coverage.assign(static_cast<std::size_t>(out.width) * out.rows, 0);
  for (int y = 0; y < out.rows; ++y) {
    const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
    std::uint8_t* dst = out.coverage.data() + static_cast<std::size_t>(y) * out.width;
    for (int x = 0; x < out.width; ++x) {
      unsigned v;
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        v = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
      } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
        v = bm.num_grays == 256 ? row[x] : row[x] * 255u / std::max(1, bm.num_grays - 1);
      } else {
        v = 0;
      }
      dst[x] = outline ? toLevel65(v) : static_cast<std::uint8_t>(v);
    }
  }
  return true;
}

bool Font::outlineBitmap(std::uint32_t codePoint, GlyphBitmap& out) const {
  return render(codePoint, true, out);
}

bool Font::greyBitmap(std::uint32_t codePoint, GlyphBitmap& out) const {
  return render(codePoint, false, out);
}

int Font::advance(std::uint32_t codePoint) const {
  if (!face_ || codePoint == 0) return 0;
  FT_Face face = asFace(face_);
  FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) return 0;
  if (FT_Load_Glyph(face, index, FT_IS_SCALABLE(face) ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT) != 0)
    return 0;
  if (emboldenOutline_ && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
    FT_GlyphSlot_Embolden(face->glyph);
  return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

// --- FontLibrary -----------------------------------------------------------------

FontLibrary::FontLibrary() : lib_(std::make_shared<FreeTypeLibrary>()) {}

FontLibrary::~FontLibrary() = default;

FontMatch FontLibrary::resolve(std::string_view familyUtf8, bool bold, bool italic) {
  std::string family(familyUtf8);
  auto key = std::make_tuple(family, bold, italic);
  if (auto it = matches_.find(key); it != matches_.end()) return it->second;

  // Loading fontconfig's configuration waits until a face name is first resolved, so
  // a runtime that draws no text never pays for it.
  FcInit();
  FontMatch m;
  bool found = !family.empty() && matchFamily(family, bold, italic, m);
  if (found) {
    m.exact = true;
  } else {
    // A proportional face name asks for the proportional gothic first.
    bool proportional = family.find("Ｐ") != std::string::npos ||
                        foldFamily(family).find(U"pgothic") != std::u32string::npos;
    static const char* const kGothicFixed[] = {"IPAGothic", "IPAPGothic", "IPAexGothic",
                                               "Noto Sans CJK JP", "Noto Sans Mono CJK JP",
                                               "VL Gothic", "TakaoGothic"};
    static const char* const kGothicProportional[] = {"IPAPGothic", "IPAGothic", "IPAexGothic",
                                                      "Noto Sans CJK JP", "VL PGothic",
                                                      "TakaoPGothic"};
    if (proportional) {
      for (const char* name : kGothicProportional)
        if ((found = matchFamily(name, bold, italic, m))) break;
    } else {
      for (const char* name : kGothicFixed)
        if ((found = matchFamily(name, bold, italic, m))) break;
    }
    if (!found) found = matchAnyJapanese(bold, italic, m);
  }
  if (!found) m = FontMatch{};
  matches_[key] = m;
  return m;
}

FontHandle FontLibrary::font(std::string_view faceName, int style, int height) {
  style &= 3;
  height = std::clamp(height, 1, kMaxFontHeight);
  auto key = std::make_tuple(std::string(faceName), style, height);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;

  FontHandle font(new Font());
  font->lib_ = lib_;
  font->faceName_ = std::string(faceName);
  font->style_ = style;
  font->height_ = height;
  font->ascent_ = height * 7 / 8;
  const bool bold = style & kFontBold;
  const bool italic = style & kFontItalic;
  FontMatch m = resolve(sjisToUtf8(faceName), bold, italic);
  FT_Face face = nullptr;
  if (lib_->library && !m.file.empty() &&
      FT_New_Face(lib_->library, m.file.c_str(), m.index, &face) == 0) {
    font->face_ = face;
    font->family_ = m.family;
    font->file_ = m.file;
    // The face's own style decides (fontconfig's match may already claim a synthetic
    // bold or italic that only its renderer would apply).
    bool faceBold = face->style_flags & FT_STYLE_FLAG_BOLD;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600)
      faceBold = true;
    const bool faceItalic = face->style_flags & FT_STYLE_FLAG_ITALIC;
    font->emboldenOutline_ = bold && !faceBold;
    font->slantOutline_ = italic && !faceItalic;
    // The height is the cell height (ascent plus descent, as the system measures
    // them in the OS/2 table's Windows metrics), not the em size.
    long ascent = face->ascender, descent = -face->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
    if (FT_IS_SCALABLE(face)) {
      long units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
      long cell = ascent + descent > 0 ? ascent + descent : units;
      double em = static_cast<double>(height) * units / cell;
      FT_Set_Pixel_Sizes(face, 0, std::max(1u, static_cast<FT_UInt>(std::lround(em))));
      if (ascent + descent > 0)
        font->ascent_ = static_cast<int>(std::lround(static_cast<double>(height) * ascent / cell));
    } else if (face->num_fixed_sizes > 0) {
      int best = 0;
      for (int i = 1; i < face->num_fixed_sizes; ++i)
        if (std::abs(face->available_sizes[i].height - height) <
            std::abs(face->available_sizes[best].height - height))
          best = i;
      FT_Select_Size(face, best);
      font->ascent_ = std::min(height, static_cast<int>(face->size->metrics.ascender >> 6));
    }
  }
  fonts_[key] = font;
  return font;
}

void FontLibrary::trim() {
  for (auto it = fonts_.begin(); it != fonts_.end();) {
    if (it->second.use_count() == 1) it = fonts_.erase(it);
    else ++it;
  }
}

// --- MessageFonts ----------------------------------------------------------------

int MessageFonts::largeHeight(int textSize) {
  switch (textSize) {
    case 2: return 36;
    case 4: return 48;
    case 6: return 60;
    case 9: return 72;
    default: return 24;
  }
}

void MessageFonts::rebuild(FontLibrary& library, std::string_view faceName, int style,
                           int textSize) {
  normal = library.font(faceName, style, 24);
  small = library.font(faceName, style, 12);
  large = library.font(faceName, style, largeHeight(textSize));
}

}  // namespace ml
