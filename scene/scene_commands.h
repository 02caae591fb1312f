// Handlers of the picture, transition and screen-effect commands.
#pragma once

#include <cstdint>

namespace ml {

class ScriptContext;
struct CommandRow;

namespace scene {

#define ML_SCENE_COMMAND(name) std::uint8_t name(ScriptContext& sc, const CommandRow& row)

// Picture layers.
ML_SCENE_COMMAND(cmdBg);
ML_SCENE_COMMAND(cmdBgWithSprites);  // a: number of sprites, fixedText: transition
ML_SCENE_COMMAND(cmdEv);
ML_SCENE_COMMAND(cmdEv1);           // fixedText: transition
ML_SCENE_COMMAND(cmdSp);            // a: default position 0 left, 1 centre, 2 right
ML_SCENE_COMMAND(cmdSprites);       // a: number of sprites, fixedText: transition
ML_SCENE_COMMAND(cmdSpLoop);
ML_SCENE_COMMAND(cmdSpWait);
ML_SCENE_COMMAND(cmdSetHsv);
ML_SCENE_COMMAND(cmdSetRgb);  // (a, b): (0,0) set_rgb, (1,0) set_rgb2, (1,n) preset n-1
ML_SCENE_COMMAND(cmdDefSpritePosition);  // a: 0 left, 1 centre, 2 right, 3 left3, 4 right3
ML_SCENE_COMMAND(cmdMono);
ML_SCENE_COMMAND(cmdPosi);
ML_SCENE_COMMAND(cmdMask);
ML_SCENE_COMMAND(cmdMoveYPosi);
ML_SCENE_COMMAND(cmdMoveXYPosi);
ML_SCENE_COMMAND(cmdMoveXYSet);
ML_SCENE_COMMAND(cmdMoveXYWait);
ML_SCENE_COMMAND(cmdSetAllFade);
ML_SCENE_COMMAND(cmdSetFade);
ML_SCENE_COMMAND(cmdSetAlpha);  // a: 0 at once, 1 gradually

// Transitions and screen effects.
ML_SCENE_COMMAND(cmdSpriteFade);  // fixedText: transition (null: read it), a: divisor
ML_SCENE_COMMAND(cmdFade);        // fixedText: transition (null: read it), a: divisor
ML_SCENE_COMMAND(cmdMosaic);
ML_SCENE_COMMAND(cmdScroll);
ML_SCENE_COMMAND(cmdShake);    // a: variant 1..3
ML_SCENE_COMMAND(cmdFadeAll);  // a: kind 0..3; the dispatcher consumes the word
ML_SCENE_COMMAND(cmdFlash);    // (a, b): (0,0) colour, (1,n) white flashes
ML_SCENE_COMMAND(cmdZoom);
ML_SCENE_COMMAND(cmdRotate);
ML_SCENE_COMMAND(cmdEffect);    // a: form 0 effect, 1 ef2
ML_SCENE_COMMAND(cmdBgEffect);  // (a, b): (1, mode) fixed, (0, 0) mode from the script

#undef ML_SCENE_COMMAND

}  // namespace scene
}  // namespace ml
