// Shift-JIS text handling on arbitrary bytes: both conversions, the character walk,
// the boundary cut and the ASCII folding, with the properties the engine relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/sjis.h"
#include "platform/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Bytes as Shift-JIS, and the same bytes as UTF-8. Converting what utf8ToSjis made
  // back and forth again must not change it.
  (void)ml::sjisToUtf8(bytes);
  const std::string sjis = ml::utf8ToSjis(bytes);
  if (ml::utf8ToSjis(ml::sjisToUtf8(sjis)) != sjis) std::abort();
  if (size >= 2) (void)ml::sjisCharToUnicode(data[0], data[1]);

  // The walk covers every byte once; the cut is a prefix on a character boundary.
  std::size_t walked = 0;
  for (std::size_t i = 0; i < bytes.size(); i += ml::sjis::charLength(bytes, i)) walked = i + ml::sjis::charLength(bytes, i);
  if (walked != bytes.size()) std::abort();
  const std::size_t limit = size ? data[0] % (size + 1) : 0;
  const std::string_view cut = ml::sjis::cutAtBoundary(bytes, limit);
  if (cut.size() > limit || bytes.substr(0, cut.size()) != cut) std::abort();
  if (!cut.empty()) {
    std::size_t i = 0;
    while (i < cut.size()) i += ml::sjis::isLead(cut[i]) ? 2 : 1;
    if (i != cut.size()) std::abort();
  }

  // Folding outside characters keeps the length and every trail byte, and compares
  // equal under the folded comparison.
  const std::string folded = ml::sjis::foldAsciiOutsideChars(bytes);
  if (folded.size() != bytes.size() || !ml::sjis::equalsFolded(folded, bytes)) std::abort();
  for (std::size_t i = 0; i < bytes.size(); i += ml::sjis::charLength(bytes, i))
    if (ml::sjis::charLength(bytes, i) == 2 && (folded[i] != bytes[i] || folded[i + 1] != bytes[i + 1])) std::abort();
  return 0;
}
