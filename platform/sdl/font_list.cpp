#include "platform/sdl/font_list.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>

namespace ml {

std::vector<std::string> installedTrueTypeFaces() {
  std::vector<std::string> faces;
  if (!FcInit()) return faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_FONTFORMAT, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      FcChar8* format = nullptr;
      if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
          std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0)
        continue;
      FcChar8* family = nullptr;
      FcChar8* chosen = nullptr;
      for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
        FcChar8* lang = nullptr;
        if (chosen == nullptr) chosen = family;
        if (FcPatternGetString(font, FC_FAMILYLANG, n, &lang) == FcResultMatch &&
            std::strcmp(reinterpret_cast<const char*>(lang), "ja") == 0) {
          chosen = family;
          break;
        }
      }
      if (chosen != nullptr) faces.emplace_back(reinterpret_cast<const char*>(chosen));
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(faces.begin(), faces.end());
  faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
  return faces;
}

}  // namespace ml
