// The flag viewer ("フラグ", TFlagForm) without its drawing: the start-number edit, the
// flag grid, the interpreter-variable grid and the define look-up, as texts.
#pragma once

#include <array>
#include <string>

namespace ml {

struct GameState;
class DefineTable;

class FlagView {
 public:
  static constexpr int kColumns = 11, kRows = 11;  // a heading row and column
  static constexpr int kLetters = 26;
  static constexpr int kLastStart = 2000;

  // The start number the edit holds: non-numeric text counts as 0.
  int start() const;
  // "-100" / "+100": the new number goes into the edit.
  void previous();
  void next();

  // Fills both grids from the game's flags and variables.
  void refresh(const GameState& state);
  // Looks the macro edit's text up in the defines.
  void lookUp(const DefineTable& defines, const GameState& state);

  std::string startText = "0";                                      // EdStart
  std::array<std::array<std::string, kColumns>, kRows> flags;       // SgFlag [row][column]
  std::array<std::array<std::string, kLetters>, 2> system;          // SgSystem [row][letter]
  std::string macro, definition, value;                             // EdMacro, EdDefine, EdValue
};

}  // namespace ml
