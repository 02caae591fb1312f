// A pixel routine set that records which sprite routine a draw chose and with what
// rectangle and level, and still draws with the portable routines.
#pragma once

#include <string>
#include <vector>

#include "media/gfx/pixel_ops.h"

namespace ml::test {

struct OpCall {
  std::string name;
  const std::uint32_t* dst = nullptr;
  int dstPitch = 0;
  const std::uint32_t* src = nullptr;
  int srcPitch = 0;
  int width = 0;
  int rows = 0;
  int level = -1;
};

inline std::vector<OpCall>& opCalls() {
  static std::vector<OpCall> calls;
  return calls;
}

inline PixelOps recordingOps() {
  PixelOps ops = portablePixelOps();
  ops.name = "recording";
  ops.blendAlpha = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r) {
    opCalls().push_back({"blendAlpha", d, dp, s, sp, w, r, -1});
    portablePixelOps().blendAlpha(d, dp, s, sp, w, r);
  };
  ops.blendAlphaScaled = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r, int l) {
    opCalls().push_back({"blendAlphaScaled", d, dp, s, sp, w, r, l});
    portablePixelOps().blendAlphaScaled(d, dp, s, sp, w, r, l);
  };
  ops.blendAlphaDarkened = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r, int l) {
    opCalls().push_back({"blendAlphaDarkened", d, dp, s, sp, w, r, l});
    portablePixelOps().blendAlphaDarkened(d, dp, s, sp, w, r, l);
  };
  ops.copyDarkened = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r, int l) {
    opCalls().push_back({"copyDarkened", d, dp, s, sp, w, r, l});
    portablePixelOps().copyDarkened(d, dp, s, sp, w, r, l);
  };
  ops.copyGrey = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r) {
    opCalls().push_back({"copyGrey", d, dp, s, sp, w, r, -1});
    portablePixelOps().copyGrey(d, dp, s, sp, w, r);
  };
  ops.copyPixels = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r) {
    opCalls().push_back({"copyPixels", d, dp, s, sp, w, r, -1});
    portablePixelOps().copyPixels(d, dp, s, sp, w, r);
  };
  ops.copyMosaic = [](std::uint32_t* d, int dp, const std::uint32_t* s, int sp, int w, int r, int t) {
    opCalls().push_back({"copyMosaic", d, dp, s, sp, w, r, t});
    portablePixelOps().copyMosaic(d, dp, s, sp, w, r, t);
  };
  ops.copyRotated = [](std::uint32_t* d, int w, int h, const std::uint32_t* s, int angle) {
    opCalls().push_back({"copyRotated", d, w, s, w, w, h, angle});
    portablePixelOps().copyRotated(d, w, h, s, angle);
  };
  ops.darkenFrame = [](std::uint32_t* p, int w, int r, int amount) {
    opCalls().push_back({"darkenFrame", p, w, nullptr, 0, w, r, amount});
    portablePixelOps().darkenFrame(p, w, r, amount);
  };
  return ops;
}

}  // namespace ml::test
