// The transition engine the picture commands hand their layers to: fades, cross-fades,
// mosaic and scroll-outs, one level step per redrawn frame.
#pragma once

#include <string_view>

namespace ml {

class ScriptContext;

enum class Transition {
  Set,             // FADE_SET: nothing now, the next redraw shows it
  None,            // FADE_NONE: one redraw
  Out,             // FADE_OUT
  Stop,            // FADE_STOP: levels 0, pictures kept
  In,              // FADE_IN
  In2,             // FADE_IN2: a quarter of the speed
  MosaicOut,       // MOSAIC_OUT
  MosaicIn,        // MOSAIC_IN
  ScrollLeftOut,   // SCROLL_LEFT_OUT
  ScrollRightOut,  // SCROLL_RIGHT_OUT
  Cross,           // FADE_CROSS
  Unknown,
};

Transition parseTransition(std::string_view name);

// Runs a transition on layer slot s1 and the further slots s2-s4 (-1: none). The level
// driven is the alpha level when s1 is not the background and the fade level when it
// is. divisor 2 halves the speed of FADE_OUT and FADE_IN. A name that is no
// transition is reported and counts as done. False only when the program is closing
// (a poll or a redraw failed).
bool runTransition(ScriptContext& sc, std::string_view name, int s1, int s2, int s3, int s4,
                   int divisor = 1);
bool runTransition(ScriptContext& sc, Transition t, std::string_view name, int s1, int s2, int s3,
                   int s4, int divisor = 1);

}  // namespace ml
