// What the checker knows about each command word's arguments: how many the handler
// reads, how long each may be, and what each one names (a number, a picture, a sound,
// a script, a label, a keyword). The words themselves come from the engine's command
// table; this list only describes them, and a test keeps the two in step.
#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace ml::lint {

enum class ArgKind {
  Expression,  // integer expression: numbers, flags, variables, operators
  Seconds,     // a time: "1.5" (decimal seconds) or an expression of whole seconds
  Picture,     // "cg\%s.bmp" or "cg\%s.psd", defined names substituted
  Sound,       // "wav\%s.wav" as written
  Effect,      // "wav\%s.wav", defined names substituted
  Script,      // "scr\%s.scr"
  Label,       // "@name" somewhere in the same script
  Transition,  // one of the transition keywords
  Keyword,     // one of the words listed with the argument
  Movie,       // a movie file beside the game (".mpg" added when there is no point)
  Midi,        // a MIDI file beside the game (".mid" added)
  Text,        // free text, read and kept
  Ignored,     // read and not used
};

struct ArgSpec {
  ArgSpec(ArgKind k, int cap = 64, std::vector<std::string_view> w = {})
      : kind(k), capacity(cap), words(std::move(w)) {}
  ArgKind kind;
  int capacity;                          // token buffer with its terminator
  std::vector<std::string_view> words;   // allowed words for Keyword
};

struct CommandArguments {
  std::string_view keyword;
  std::vector<ArgSpec> args;
};

// The description of a command word; null for words the checker does not know.
const CommandArguments* findCommandArguments(std::string_view keyword);
const std::vector<CommandArguments>& allCommandArguments();

// The transition words the transition engine runs (what picture and fade commands take).
bool isTransitionWord(std::string_view word);
// Transitions that act on the picture already shown, so the named one is not loaded.
bool transitionKeepsOldPicture(std::string_view word);

}  // namespace ml::lint
