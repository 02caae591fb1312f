#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/byte_reader.h"

namespace ml {
namespace {

// One conversion with iconv; unconvertible or invalid input becomes '?' and
// conversion continues after it.
std::string convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2);
  std::vector<char> buf(4096);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buf.data();
    size_t dstLeft = buf.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf.data(), buf.size() - dstLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip one byte (or the incomplete rest) and mark it.
      out.push_back('?');
      ++src;
      --srcLeft;
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) { return convert("UTF-8", "CP932", sjis); }

std::string utf8ToSjis(std::string_view utf8) { return convert("CP932", "UTF-8", utf8); }

bool isUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<std::uint8_t>(s[i]);
    const std::size_t more = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : (c & 0xF0) == 0xE0 ? 2
                             : c >= 0xF0 && c <= 0xF4                ? 3
                                                                     : 4;
    if (more == 4 || i + more >= s.size() + (more == 0 ? 1 : 0)) return false;
    for (std::size_t k = 1; k <= more; ++k)
      if ((static_cast<std::uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
    i += more + 1;
  }
  return true;
}

std::uint32_t sjisCharToUnicode(std::uint8_t lead, std::uint8_t trail) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  std::string_view sv(in, trail ? 2 : 1);
  iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char out[8] = {};
  char* src = in;
  size_t srcLeft = sv.size();
  char* dst = out;
  size_t dstLeft = sizeof out;
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || dstLeft != 4) return 0;
  return le32(reinterpret_cast<const std::uint8_t*>(out));
}

}  // namespace ml
