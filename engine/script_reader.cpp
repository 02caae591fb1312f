// Loading a script and the small readers every command uses: the word peek, the
// argument reader, the line copy, line-break and comment skipping, operands.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "engine/script_source.h"
#include "platform/posix/file_handle.h"
#include "media/io/keys.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

bool endsOperand(std::uint8_t c) {
  switch (c) {
    case 0: case '\n': case '\t': case '\r': case ' ':
    case '!': case '%': case '&': case '*': case '+': case '-': case '/':
    case '<': case '=': case '>': case '[': case ']': case '{': case '|': case '}':
    // "^" is an operator of the evaluator, so an operand ends before it too.
    case '^':
      return true;
    default:
      return false;
  }
}

}  // namespace

void readOperand(const std::uint8_t* data, std::size_t size, std::size_t& index, char* out,
                 std::size_t capacity) {
  std::size_t i = index, n = 0;
  bool full = capacity == 0;
  // Stores whole characters while they fit; an over-long operand is still passed over.
  auto store = [&](std::size_t at, std::size_t k) {
    if (full || n + k >= capacity) {
      full = true;
      return;
    }
    std::memcpy(out + n, data + at, k);
    n += k;
  };
  while (i < size && !endsOperand(data[i])) {
    std::size_t k = sjis::isLead(data[i]) && i + 1 < size && data[i + 1] != 0 ? 2 : 1;
    store(i, k);
    i += k;
  }
  if (capacity > 0) out[n] = 0;
  index = i - 1;  // on the last byte passed; the caller's increment reaches the stop
}

// --- Position movement ---

void ScriptContext::advance(std::int64_t n) {
  if (n <= 0 || pos >= size) return;
  std::int64_t target = std::min<std::int64_t>(std::int64_t{pos} + n, size);
  for (std::int64_t i = pos; i < target; ++i)
    if (text[static_cast<std::size_t>(i)] == '\n') ++lineNumber;
  pos = static_cast<std::int32_t>(target);
}

std::uint8_t ScriptContext::skipLineBreaks() {
  while (pos < size) {
    std::uint8_t b = text[static_cast<std::size_t>(pos)];
    if (b == '\r') {
      ++pos;
    } else if (b == '\n') {
      ++pos;
      ++lineNumber;
      lineTextLength = 0;
    } else {
      return b;
    }
  }
  return 0;
}

int ScriptContext::peekWord(char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  bool quoted = false;
  for (;;) {
    std::uint8_t b = skipLineBreaks();
    if (atEnd()) break;
    if (isBlank(b)) {
      advance(1);
      continue;
    }
    if (b == '"') {
      advance(1);
      quoted = true;
    }
    break;
  }
  int n = 0;
  for (std::int64_t i = pos; n < capacity && i < size; ++i) {
    std::uint8_t c = text[static_cast<std::size_t>(i)];
    if (quoted ? c == '"' : (c == ' ' || c == '\t' || c == '\r' || c == 0)) break;
    buffer[n++] = static_cast<char>(c);
  }
  if (n == capacity) {
    n = capacity - 1;
    buffer[n] = 0;
    scriptError(SJ("トークンが長すぎる"), "");
  }
  buffer[n] = 0;
  // Step onto the token so that the caller's advance by its length also passes the
  // closing quote.
  if (quoted) advance(1);
  return n;
}

std::string ScriptContext::readArgument(int capacity) {
  std::string buffer(static_cast<std::size_t>(std::max(capacity, 1)), '\0');
  int n = peekWord(buffer.data(), capacity);
  advance(n);
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

void ScriptContext::skipWord() { advance(static_cast<std::int64_t>(std::strlen(word))); }

std::uint8_t ScriptContext::consumeCommand(int argumentCount) {
  skipWord();
  for (int i = 0; i < argumentCount; ++i) readArgument();
  return 1;
}

void ScriptContext::copyLineText() {
  int n = 0;
  for (std::int64_t i = pos; n < kLineCapacity && i < size; ++i) {
    std::uint8_t c = text[static_cast<std::size_t>(i)];
    if (c == '\r' || c == '\n') break;
    lineText[n++] = static_cast<char>(c);
  }
  if (n == kLineCapacity) {
    n = kLineCapacity - 1;
    lineText[n] = 0;
    lineTextLength = n;
    scriptError(SJ("１行が１０２４文字を超えている"), "");
  }
  lineText[n] = 0;
  lineTextLength = n;
}

void ScriptContext::skipComment() {
  skipWord();
  std::int64_t end = pos;
  while (end < size && text[static_cast<std::size_t>(end)] != '\r') ++end;
  advance(end - pos);
}

void ScriptContext::setPosition(std::int32_t offset) {
  // A position from another version of the script is kept inside the text.
  if (offset < 1) offset = 1;
  if (size > 0 && offset > size) offset = size;
  pos = offset;
  lineNumber = 1;
  std::int64_t limit = std::min<std::int64_t>(offset, size);
  for (std::int64_t i = 0; i < limit; ++i)
    if (text[static_cast<std::size_t>(i)] == '\n') ++lineNumber;
}

// --- Loading ---

bool ScriptContext::readScriptBytes(std::string_view path) {
  auto fail = [&](const std::string& message, int number) {
    text.clear();
    size = 0;
    rt.reporter.scriptError(message, "", "SCRIPT", number, path);
    return false;
  };
  std::int64_t declared = 0;
  std::size_t got = 0;
  FileHandle file;
  if (rt.media.folder.open(path, file)) {
    declared = file.size();
    if (declared <= 0 || declared >= std::numeric_limits<std::int32_t>::max())
      return fail(SJ("サイズがおかしい"), 517);
    try {
      text.resize(static_cast<std::size_t>(declared));
    } catch (const std::bad_alloc&) {
      return fail(SJ("メモリが足りません"), 524);
    }
    got = file.read(text.data(), text.size());
  } else {
    ArchivedScript archived = readFromScriptArchive(rt.media.scriptArchive, path);
    if (!archived.found) return fail(SJ("オープンできません"), 510);
    declared = archived.entrySize;
    if (declared <= 0 || declared >= std::numeric_limits<std::int32_t>::max())
      return fail(SJ("サイズがおかしい"), 517);
    if (archived.outOfMemory) return fail(SJ("メモリが足りません"), 524);
    text = std::move(archived.bytes);
    got = text.size();
  }
  if (static_cast<std::int64_t>(got) != declared) return fail(SJ("読み取りサイズがおかしい"), 531);
  size = static_cast<std::int32_t>(declared);
  return true;
}

bool ScriptContext::load(std::string_view path, GameState& newState, bool isMainGame) {
  reset();
  mainGame = isMainGame;
  surfaceHandle = &rt.scene.backBuffer;
  state = &newState;
  if (!readScriptBytes(path)) return false;

  if (text[0] == 'X') {
    for (std::size_t i = 1; i < text.size(); ++i) text[i] ^= kScriptKey[(i - 1) % kScriptKey.size()];
    text[0] = 'N';
  }

  std::size_t n = std::min(path.size(), sizeof scriptPath - 1);
  std::memcpy(scriptPath, path.data(), n);
  scriptPath[n] = 0;
  prevChoicePending = quickLoadPending = quickSavePending = false;
  windowHidePending = recollectionEnded = waitingForClick = false;
  rt.story.switches.backlogOpen = false;
  rt.story.switches.backlogCloseRequested = false;
  rt.story.switches.saveScreenOpen = false;
  rt.story.switches.saveScreenCloseRequested = false;

  if (state->readTrackingOff() == 0) registerVoiceCommands();
  return true;
}

void ScriptContext::registerVoiceCommands() {
  rt.media.readStatus.resetScript(scriptPath);
  const std::size_t n = text.size();
  int ordinal = 0;
  std::size_t i = 1;
  while (i < n) {
    std::uint8_t b = text[i];
    if (sjis::isLead(b)) {
      i += 2;
    } else if (b == ';') {
      while (i < n && text[i] != '\n') ++i;
    } else if (b == 'v' && i + 2 < n && text[i + 1] == 'o' && isBlank(text[i + 2]) &&
               (isBlank(text[i - 1]) || text[i - 1] == '\r' || text[i - 1] == '\n')) {
      rt.media.readStatus.registerVoice(scriptPath, ordinal, static_cast<std::int32_t>(i));
      ++ordinal;
      i += 3;
    } else {
      ++i;
    }
  }
}

bool ScriptContext::fileExists(std::string_view path, bool quiet) {
  if (gameHasFile(rt, path)) return true;
  if (!quiet) scriptError(SJ("ファイルが存在しない"), path);
  return false;
}

}  // namespace ml
