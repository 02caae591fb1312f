// The interpreter: one loaded script, its read position and the state the commands
// share (current word and line, page text, choices, pending player requests).
// `step()` runs one command word; waiting commands run their own nested loops.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sjis.h"

namespace ml {

class Runtime;
class BackBuffer;
struct GameState;

constexpr bool isBlank(std::uint8_t b) { return b == ' ' || b == '\t'; }

// Copies one operand starting at data[index] into out (at most capacity - 1 bytes;
// a longer operand is still passed over whole). Stops before NUL, LF, tab, CR, space,
// "^" and any of ! % & * + - / < = > [ ] { | }; the end of the data counts as NUL.
// index is left on the last byte passed (one before the stopping byte).
void readOperand(const std::uint8_t* data, std::size_t size, std::size_t& index, char* out,
                 std::size_t capacity);

class ScriptContext {
 public:
  static constexpr int kWordCapacity = 1024;
  static constexpr int kLineCapacity = 1024;
  static constexpr int kArgumentCapacity = 64;
  static constexpr int kMessageCapacity = 2000;
  static constexpr int kScriptPathCapacity = 256;
  static constexpr int kChoiceSlots = 10;

  explicit ScriptContext(Runtime& rt);
  ~ScriptContext();
  ScriptContext(const ScriptContext&) = delete;
  ScriptContext& operator=(const ScriptContext&) = delete;

  Runtime& rt;

  // --- Fields, in the order the interpreter's documentation lists them. ---
  BackBuffer* surfaceHandle = nullptr;  // taken from the back buffer at each load
  GameState* state;                      // the record this interpreter works on
  std::vector<std::uint8_t> text;        // whole script; byte 0 is the scramble marker
  char lineText[kLineCapacity] = {};
  char word[kWordCapacity] = {};
  std::int32_t lineNumber = 1;
  std::int32_t pos = 1;
  std::int32_t size = 0;
  std::int32_t lineTextLength = 0;
  std::unique_ptr<char[]> messageText;       // kMessageCapacity bytes, NUL-terminated
  std::optional<std::string> speakerName;    // set by msg2
  bool newPage = false;
  std::int32_t pageMark = -1;
  std::int32_t mouseX = -1, mouseY = -1;
  std::int32_t choiceCount = 0;
  std::int32_t choiceIdCounter = 0;
  std::int32_t choiceShown = 0;
  std::array<std::optional<std::string>, kChoiceSlots> choiceTexts;
  std::array<std::int32_t, kChoiceSlots> choiceIds{};
  bool mainGame = true;  // the game's interpreter; load sets it
  char scriptPath[kScriptPathCapacity] = {};
  bool fastForward = false;
  bool prevChoicePending = false;
  bool quickLoadPending = false;
  bool quickSavePending = false;
  bool windowHidePending = false;
  bool recollectionEnded = false;
  bool waitingForClick = false;
  std::int32_t effectStartSecond = 0;
  // The recollection player's entry value (0 in the game).
  std::int32_t recollectionStart = 0;

  // --- Lifecycle and the step. ---
  void reset();
  // Loads "scr\name.scr"-style paths (loose file first, then the script archive).
  bool load(std::string_view path, GameState& state, bool mainGame);
  // Nonzero: go on. Zero: the caller's loop must end.
  std::uint8_t step();

  // --- Readers. ---
  // Next token into buffer (capacity bytes with its NUL) without consuming it; returns
  // its length. pos stays on the token (one past an opening quote).
  int peekWord(char* buffer, int capacity);
  // The handlers' idiom: peek a token of at most capacity - 1 bytes and consume it.
  std::string readArgument(int capacity = kArgumentCapacity);
  // Consumes the command word itself (every handler starts with this).
  void skipWord();
  // Consumes the command word and its arguments, for commands whose work is done
  // elsewhere; the step result 1.
  std::uint8_t consumeCommand(int argumentCount);
  void copyLineText();
  std::uint8_t skipLineBreaks();
  void skipComment();
  void setPosition(std::int32_t offset);
  // Moves pos forward by n bytes (never past the end), counting the LFs passed.
  void advance(std::int64_t n);
  bool atEnd() const { return pos >= size; }
  std::uint8_t byteAt(std::int64_t i) const {
    return i >= 0 && i < size ? text[static_cast<std::size_t>(i)] : 0;
  }
  // A data file as a loose file or in the archive its extension selects; reports a
  // missing one unless quiet.
  bool fileExists(std::string_view path, bool quiet);

  // --- Flags, expressions, conditions. ---
  // Integer expression, left to right without precedence; INT32_MIN after an error.
  std::int32_t evaluate(std::string_view expression);
  std::uint8_t executeAssignment();
  std::uint8_t evaluateCondition();
  // Replaces a token that begins with a lead byte by its definition, if any.
  void substituteDefine(std::string& token) const;
  // A picture or music name shown in the game: "e"/"E" names listed by def_cg set
  // their flag and update the system save.
  void markPictureFlag(std::string_view name);

  // --- Text lines (page text). ---
  std::uint8_t executeTextLine();

  // --- Reports and debug views. ---
  // A script error at the current line of the running script.
  void scriptError(std::string_view message, std::string_view detail);
  int currentLineNumber() const { return lineNumber; }
  const char* currentLineText() const { return lineText; }
  const char* currentScriptName() const;
  std::string currentPageText() const;
  bool isRecollectionEnded() const { return recollectionEnded; }
  bool isWaitingForClick() const { return waitingForClick; }
  std::size_t messageLength() const;

 private:
  bool readScriptBytes(std::string_view path);
  void registerVoiceCommands();
  // Next significant byte after a condition; 0 at the end of the text (reported).
  std::uint8_t nextSignificantByte(bool bracesOnly);
};

}  // namespace ml
