// The look shared by the interface pictures: night-blue glass panels with silver
// rims, gold for what is chosen, and one font family for every caption.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/generators.h"

namespace ml::tools::ui {

// Button states as the engine uses them: layer/frame 0 normal, 1 under the pointer,
// 2 selected (or inactive).
inline constexpr int kStates = 3;

extern const Colour kInk;      // dark blue-black
extern const Colour kPanel;    // panel body
extern const Colour kSilver;   // rims
extern const Colour kGold;     // chosen
extern const Colour kText;     // captions
extern const Colour kGlow;     // highlight halo

// A translucent rounded panel with a rim.
void panel(Canvas& c, float x0, float y0, float x1, float y1, float radius, float opacity = 0.85f,
           Colour body = kPanel);
// Just the rim of a panel: double line and small diamonds at the corners.
void rim(Canvas& c, float x0, float y0, float x1, float y1, float radius, Colour colour = kSilver);
// A crescent moon (the game's emblem).
Shape crescent(float cx, float cy, float r);

struct Caption {
  std::string text;
  int size = 16;
  bool bold = true;
};

// A button face in one of the three states, with a caption centred in it.
void button(Canvas& c, const TextPainter& text, float x0, float y0, float x1, float y1, int state,
            const Caption& caption);

// Text helpers with the house style.
int label(Canvas& c, const TextPainter& text, const std::string& s, float x, float y, int size,
          Colour colour = kText, bool centred = false, bool bold = false);
// Large heading with a soft glow.
int heading(Canvas& c, const TextPainter& text, const std::string& s, float x, float y, int size,
            bool centred = false);

// A picture of width x height with one frame per state, drawn by f(canvas, state).
std::vector<RgbaImage> stateFrames(int width, int height, const std::function<void(Canvas&, int)>& f,
                                   int states = kStates);

// A screen background: night gradient with soft light, for the system screens.
Canvas screenBackground(Colour top, Colour bottom, std::uint32_t seed);

}  // namespace ml::tools::ui
