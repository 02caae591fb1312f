// Scenario text as authors write it (UTF-8, any line ends) turned into what the engine
// reads: Shift-JIS with CR LF line ends after the one-byte marker. Shared by the script
// converter and the new-game writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ml::tools {

// Appends the converted text (without the marker byte) to out. Every character that has
// no Shift-JIS form is listed in errors as "NAME:LINE:COLUMN: what", columns counted in
// characters; characters that input methods type for Shift-JIS ones (〜 − ‖ — ¢ £ ¬ ¦ ‾)
// are mapped to them. A byte-order mark at the start is dropped. True when errors
// stayed empty.
bool utf8ScriptToSjis(std::string_view text, const std::string& name, std::string& out,
                      std::vector<std::string>& errors);

}  // namespace ml::tools
