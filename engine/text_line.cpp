// Text lines: words that begin with a double-byte character are page text.
#include <cstring>
#include <string>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

// The game state records a message window once a window command (or a loaded game, or
// the recollection's copy of the game) gave it one; before that a page has nowhere to go.
bool windowRecorded(const GameState& st) {
  return st.windowPicture[0] != 0 || st.windowX != 0 || st.windowY != 0 || st.windowColumns != 0 ||
         st.windowRows != 0;
}

}  // namespace

std::uint8_t ScriptContext::executeTextLine() {
  const std::size_t length = std::strlen(word);
  skipWord();
  if (!messageText || !windowRecorded(*state)) {
    scriptError(SJ("window が定義されていません"), "");
    return 0;
  }
  char* page = messageText.get();
  if (newPage) {
    page[0] = 0;
    newPage = false;
  }
  std::size_t used = messageLength();
  // Text that would not fit is dropped whole.
  if (used + length < static_cast<std::size_t>(kMessageCapacity)) {
    std::memcpy(page + used, word, length);
    used += length;
    page[used] = 0;
  }
  const std::uint8_t next = byteAt(pos);
  if ((atEnd() || next == '\r' || next == '\n') && used + 1 < static_cast<std::size_t>(kMessageCapacity)) {
    page[used++] = '\n';
    page[used] = 0;
  }
  if (state->autoReturnOff() != 0) return 1;
  return rt.scenePort().waitPage(*this, true) ? 1 : 0;
}

}  // namespace ml
