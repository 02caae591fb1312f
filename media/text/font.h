// Fonts for text sprites and tools: FreeType faces found through fontconfig by their
// (Shift-JIS) face names, sized by cell height like the message fonts, with glyphs
// rasterised into grey coverage.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace ml {

class GlyphCache;
struct FreeTypeLibrary;

// One rasterised glyph. Coverage is 0..64 for outline bitmaps and 0..255 for the
// system-text rendering. (left, top) is the glyph origin: columns right of the pen,
// rows above the baseline.
struct GlyphBitmap {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  std::vector<std::uint8_t> coverage;  // width * rows, no padding
};

// Message font styles as the settings store them.
enum FontStyleBits : int { kFontNormal = 0, kFontBold = 1, kFontItalic = 2, kFontBoldItalic = 3 };

class Font {
 public:
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // False when no font file could be opened at all; such a font draws nothing.
  bool valid() const { return face_ != nullptr; }
  const std::string& faceName() const { return faceName_; }  // as requested, Shift-JIS
  const std::string& family() const { return family_; }      // as found, UTF-8
  const std::string& file() const { return file_; }
  int style() const { return style_; }
  bool bold() const { return style_ & kFontBold; }
  bool italic() const { return style_ & kFontItalic; }
  int height() const { return height_; }  // cell height in pixels
  int ascent() const { return ascent_; }
  int descent() const { return height_ - ascent_; }

  // The 65-level grey outline bitmap of a Unicode character. False (and an empty
  // bitmap) when the font has no glyph for it.
  bool outlineBitmap(std::uint32_t codePoint, GlyphBitmap& out) const;
  // The same glyph with 256 levels of anti-aliasing, as ordinary text drawing gives.
  bool greyBitmap(std::uint32_t codePoint, GlyphBitmap& out) const;
  // Horizontal advance in whole pixels (0 without a glyph).
  int advance(std::uint32_t codePoint) const;

  // Glyph boxes built from this font, kept so a page is not rasterised anew at every
  // composition.
  GlyphCache& glyphCache() const { return *cache_; }

 private:
  friend class FontLibrary;
  Font();
  bool render(std::uint32_t codePoint, bool outline, GlyphBitmap& out) const;

  std::shared_ptr<FreeTypeLibrary> lib_;
  void* face_ = nullptr;  // FT_Face; kept opaque so users need no FreeType headers
  std::string faceName_, family_, file_;
  int style_ = 0;
  int height_ = 0;
  int ascent_ = 0;
  bool emboldenOutline_ = false;
  bool slantOutline_ = false;
  std::unique_ptr<GlyphCache> cache_;
};

using FontHandle = std::shared_ptr<Font>;

// Where a face name leads: the font file, its face index and the family found.
struct FontMatch {
  std::string file;
  int index = 0;
  std::string family;  // UTF-8
  bool exact = false;  // the requested family itself is installed
};

// The font service: one FreeType library and the fonts made from it. Fonts are
// shared: asking twice for the same face, style and height gives the same object
// (and its warm glyph cache). Fonts stay usable after the library is destroyed.
class FontLibrary {
 public:
  FontLibrary();
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // faceName in Shift-JIS ("ＭＳ ゴシック"); style 0 normal, 1 bold, 2 italic,
  // 3 bold italic; height is the cell height in pixels (at least 1). Never null; the
  // font is invalid only when the system has no usable font at all.
  FontHandle font(std::string_view faceName, int style, int height);

  // Resolution of a face name (UTF-8) for a weight and slant: the family when it is
  // installed, else an installed Japanese gothic, else any font with Japanese
  // coverage, else whatever fontconfig offers.
  FontMatch resolve(std::string_view familyUtf8, bool bold, bool italic);

  // Drops fonts nobody else holds.
  void trim();

 private:
  std::shared_ptr<FreeTypeLibrary> lib_;
  std::map<std::tuple<std::string, int, int>, FontHandle> fonts_;
  std::map<std::tuple<std::string, bool, bool>, FontMatch> matches_;
};

// The three message fonts of the main window: normal (24), small (12) and large (by
// the message text size of the scripts).
struct MessageFonts {
  FontHandle normal;
  FontHandle small;
  FontHandle large;
  // The large font's height for the script's text size: 2 → 36, 4 → 48, 6 → 60,
  // 9 → 72, anything else → 24.
  static int largeHeight(int textSize);
  void rebuild(FontLibrary& library, std::string_view faceName, int style, int textSize);
};

}  // namespace ml
