// Handlers of the command words that change what is seen and heard: the message
// window and text, read tracking, pictures, transitions, sound, movies and built-in
// scenes. The command table refers to them by name.
#pragma once

#include "engine/command_table.h"

namespace ml {

// Choices.
ML_COMMAND(cmdWindowSel);
ML_COMMAND(cmdDefSel);
ML_COMMAND(cmdDefSelmes);     // a: 1 prompt, 2 speaker line
ML_COMMAND(cmdSelect);        // a: 1 select (shuffles), 0 select2
ML_COMMAND(cmdSelectCenter);  // a: value of F2045

// Message window and text.
ML_COMMAND(cmdMsg2);
ML_COMMAND(cmdWindow);
ML_COMMAND(cmdRet);  // a: skippable
ML_COMMAND(cmdWindowOff);
ML_COMMAND(cmdWindowOn);
ML_COMMAND(cmdMoji);
ML_COMMAND(cmdDefIndent);
ML_COMMAND(cmdDefKinsoku);

// Read tracking.
ML_COMMAND(cmdSetReadMode);

// Picture layers.
ML_COMMAND(cmdBg);
ML_COMMAND(cmdBgWithSprites);  // a: number of sprites, fixedText: transition
ML_COMMAND(cmdEv);
ML_COMMAND(cmdEv1);           // fixedText: transition
ML_COMMAND(cmdSp);            // a: default position 0 left, 1 centre, 2 right
ML_COMMAND(cmdSprites);       // a: number of sprites, fixedText: transition
ML_COMMAND(cmdSpLoop);
ML_COMMAND(cmdSpWait);
ML_COMMAND(cmdSetHsv);
ML_COMMAND(cmdSetRgb);  // (a, b): (0,0) set_rgb, (1,0) set_rgb2, (1,n) preset n-1
ML_COMMAND(cmdDefSpritePosition);  // a: 0 left, 1 centre, 2 right, 3 left3, 4 right3
ML_COMMAND(cmdMono);
ML_COMMAND(cmdPosi);
ML_COMMAND(cmdMask);
ML_COMMAND(cmdMoveYPosi);
ML_COMMAND(cmdMoveXYPosi);
ML_COMMAND(cmdMoveXYSet);
ML_COMMAND(cmdMoveXYWait);
ML_COMMAND(cmdSetAllFade);
ML_COMMAND(cmdSetFade);
ML_COMMAND(cmdSetAlpha);  // a: 0 at once, 1 gradually

// Transitions and screen effects.
ML_COMMAND(cmdSpriteFade);  // fixedText: transition (null: read it), a: divisor
ML_COMMAND(cmdFade);        // fixedText: transition (null: read it), a: divisor
ML_COMMAND(cmdMosaic);
ML_COMMAND(cmdScroll);
ML_COMMAND(cmdShake);    // a: variant 1..3
ML_COMMAND(cmdFadeAll);  // a: kind 0..3; the dispatcher consumes the word
ML_COMMAND(cmdFlash);    // (a, b): (0,0) colour, (1,n) white flashes
ML_COMMAND(cmdZoom);
ML_COMMAND(cmdRotate);
ML_COMMAND(cmdEffect);    // a: form 0 effect, 1 ef2; fixedText and b: transition, level
ML_COMMAND(cmdBgEffect);  // (a, b): (1, mode) fixed, (0, 0) mode from the script

// Sound.
ML_COMMAND(cmdBgm);        // a: mode 0..3, fixedText: loop kind
ML_COMMAND(cmdSe);         // a: mode 0..2, fixedText: loop kind, b: wait for the end
ML_COMMAND(cmdSoundWait);  // a: channel
ML_COMMAND(cmdVoice);      // a: counted, b: pan direction -1, 0, +1

// Movies, MIDI, built-in scenes.
ML_COMMAND(cmdMovie);
ML_COMMAND(cmdMidi);
ML_COMMAND(cmdMenu);
ML_COMMAND(cmdEnding);
ML_COMMAND(cmdDateDisp);  // a: 1 waits for a click
ML_COMMAND(cmdBlueSky);

}  // namespace ml
