// Handlers of the interpreter's own command words: control flow, defines, choices and
// saves. The command table refers to them by name.
#pragma once

#include "engine/command_table.h"

namespace ml {

// Words that are consumed and do nothing (map, minigame, "\n", "\i", "\k").
ML_COMMAND(cmdSkipWord);

// Control flow.
ML_COMMAND(cmdGoto);
ML_COMMAND(cmdChange);  // a: 1 change, 0 change_kaisou
ML_COMMAND(cmdKaisouEnd);
ML_COMMAND(cmdTitle);
ML_COMMAND(cmdWait);  // a: 1 wait (skippable), 0 sleep
ML_COMMAND(cmdBreak);
ML_COMMAND(cmdNameCheck);
ML_COMMAND(cmdCls);
ML_COMMAND(cmdAutoReturn);  // a: value of F2047

// Defines, random numbers and parameters.
ML_COMMAND(cmdDefine);
ML_COMMAND(cmdDefCg);
ML_COMMAND(cmdRandom);
ML_COMMAND(cmdParamCalc);
ML_COMMAND(cmdSetFf);
ML_COMMAND(cmdMacro);

// Choices.
ML_COMMAND(cmdWindowSel);
ML_COMMAND(cmdDefSel);
ML_COMMAND(cmdDefSelmes);  // a: 1 prompt, 2 speaker line
ML_COMMAND(cmdSelect);     // a: 1 select (shuffles), 0 select2
ML_COMMAND(cmdSelectCenter);  // a: value of F2045

// Saves.
ML_COMMAND(cmdFlagUpdate);
ML_COMMAND(cmdLoadSave);  // a: 1 load screen, 0 save screen

}  // namespace ml
