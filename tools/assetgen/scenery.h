// Pieces of scenery shared by backgrounds, event pictures and screen backgrounds:
// skies, clouds, stars, the moon, water, hills, trees, houses and lamps.
#pragma once

#include <cstdint>

#include "tools/common/canvas.h"

namespace ml::tools {

// A vertical sky: colours from the top to the horizon line.
Paint skyPaint(float horizon, std::vector<Stop> stops);

// Soft cumulus clouds between yTop and yBottom; lit from above (or from below when
// litFromBelow, for dusk).
void drawClouds(Canvas& c, std::uint32_t seed, float yTop, float yBottom, float amount, Colour lit,
                Colour shadow, float scale, bool litFromBelow = false);
// Thin streaks of high cloud.
void drawStreaks(Canvas& c, std::uint32_t seed, float yTop, float yBottom, Colour colour, float amount);
void drawStars(Canvas& c, std::uint32_t seed, int count, float yMax, float brightness = 1.0f);
void drawMoon(Canvas& c, float cx, float cy, float r, float halo = 1.0f);
void drawSun(Canvas& c, float cx, float cy, float r, Colour core, Colour glow);
// Rolling hills along baseY, filled downwards.
void drawHills(Canvas& c, std::uint32_t seed, float baseY, float amplitude, const Paint& paint, float wave = 180);
void drawTree(Canvas& c, std::uint32_t seed, float x, float groundY, float height, Colour leaf, Colour trunk,
              Colour light);
// A row of houses between x0 and x1 standing on groundY; lit windows glow when
// windowLight > 0.
void drawHouses(Canvas& c, std::uint32_t seed, float x0, float x1, float groundY, float minH, float maxH,
                Colour wall, Colour roof, float windowLight);
void drawStreetLamp(Canvas& c, float x, float groundY, float height, Colour pole, bool lit);
// A hanging wire from (x0, y0) to (x1, y1) sagging by sag pixels.
void drawWire(Canvas& c, float x0, float y0, float x1, float y1, float sag, Colour colour, float width = 1.2f);
// Sea from horizonY down with a glittering reflection column at reflectX.
void drawSea(Canvas& c, std::uint32_t seed, float horizonY, Colour far, Colour near, float reflectX,
             Colour glitter, float glitterAmount);

float smoothstep(float e0, float e1, float x);

}  // namespace ml::tools
