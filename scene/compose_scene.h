// The two hidden snapshots of the scene that screens and partial redraws of the
// message window restore from.
#pragma once

namespace ml {

class LayerTable;
struct GameState;
struct PixelOps;

// Refreshes the snapshots: slot 2 gets the background and sprites flattened, slot 3 the
// same with the message window parts over it; both stay hidden. Drawing advances the
// sprites' own moves, ramps and animations by one step, like any composition.
void composeScene(LayerTable& layers, const PixelOps& pixels, const GameState& state);

// Slot 3 alone, from the scene snapshot as it stands and the window parts as they are
// now; no scene layer is drawn, so nothing advances. The page display calls it, since
// the window may have been defined or shown again after the last scene command, and
// the key-wait icon's repaints must not cut a hole into it.
void refreshWindowSnapshot(LayerTable& layers, const PixelOps& pixels);

// Called at every redraw with 1 while the background-effect mode is on, else 0. The
// game draws no background effect; the hook is where one would go.
void backgroundEffectHook(int mode);

}  // namespace ml
