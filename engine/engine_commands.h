// Handlers of the interpreter's own command words: control flow, defines and saves. The command table refers to them by name.
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

// Saves.
ML_COMMAND(cmdFlagUpdate);
ML_COMMAND(cmdLoadSave);  // a: 1 load screen, 0 save screen

}  // namespace ml
