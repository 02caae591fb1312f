// The settings reader on arbitrary bytes: parsing, lookups and an edit must stay in
// bounds, and text() must give back exactly the bytes parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ml::IniFile ini(text);
  if (ini.text() != text) std::abort();
  (void)ini.readInt("Display", "Refresh", 60);
  (void)ini.readString("User", "Name", "x", 11);
  (void)ini.readBool("Niji", "Rain1", true);
  ini.writeInt("Effect", "Speed", -4);
  ini.writeString("User", "Name", text.substr(0, 16));
  if (ini.readInt("Effect", "Speed", 0) != -4) std::abort();
  return 0;
}
