// The layer table's slot map: which slot holds what, and the three fixed ways scripts
// name the scene's slots (scene slots as a saved game records them, layer slots, and
// the numbers of the move commands). Every layer holds its number from here.
#pragma once

namespace ml {

inline constexpr int kLayerSlotCount = 260;

// The scene.
inline constexpr int kBackgroundSlot = 0;
inline constexpr int kBackgroundPartnerSlot = 1;  // the outgoing background of a cross-fade
inline constexpr int kSceneSnapshotSlot = 2;      // background and sprites, flattened
inline constexpr int kWindowSnapshotSlot = 3;     // the same with the message window parts
inline constexpr int kSpriteSlot1 = 10;
inline constexpr int kSpriteSlot2 = 12;
inline constexpr int kSpriteSlot3 = 14;
inline constexpr int kSpriteSlot4 = 16;
inline constexpr int kSceneSlotCount = 5;
// Slots below this one are the scene; the back buffer's letterbox and darkening apply
// to them only.
inline constexpr int kSceneLayerEnd = 30;

// The message window.
inline constexpr int kWindowFirstSlot = 30;
inline constexpr int kWindowBoardSlot = 30;
inline constexpr int kWindowPictureSlot = 31;
inline constexpr int kWindowFrameSlot = 32;
inline constexpr int kMessageTextSlot = 33;
inline constexpr int kPlateBoardSlot = 40;
inline constexpr int kPlatePictureSlot = 41;
inline constexpr int kPlateFrameSlot = 42;
inline constexpr int kSpeakerNameSlot = 43;
inline constexpr int kButtonSlotBase = 50;  // button m (1-9) lives in slot 50 + m
inline constexpr int kButtonCaptionSlot = 60;
inline constexpr int kKeyWaitSlot = 79;
inline constexpr int kWindowLastSlot = 79;
// Layer slots of the window parts copied into the window snapshot.
inline constexpr int kWindowPartSlots[3] = {kWindowBoardSlot, kWindowPictureSlot, kWindowFrameSlot};

// The choice window.
inline constexpr int kChoiceFirstSlot = 130;
inline constexpr int kChoiceLastSlot = 189;

// Over everything.
inline constexpr int kScreenCopySlot = 257;     // the frame kept by the full-screen fades
inline constexpr int kModeIndicatorSlot = 258;  // skip and auto indicator
inline constexpr int kStatusLineSlot = 259;     // the debug read-rate line

constexpr bool isLayerSlot(int slot) { return slot >= 0 && slot < kLayerSlotCount; }

// Scene slot 0..4 -> layer slot; 4 and everything above it is sprite 4. A negative
// number counts as the background.
constexpr int layerFromSceneSlot(int sceneSlot) {
  switch (sceneSlot) {
    case 1: return kSpriteSlot1;
    case 2: return kSpriteSlot2;
    case 3: return kSpriteSlot3;
    default: return sceneSlot <= 0 ? kBackgroundSlot : kSpriteSlot4;
  }
}

// Layer slot -> scene slot; every slot that is not the background or sprites 1-3
// records into scene slot 4.
constexpr int sceneSlotFromLayer(int layerSlot) {
  switch (layerSlot) {
    case kBackgroundSlot: return 0;
    case kSpriteSlot1: return 1;
    case kSpriteSlot2: return 2;
    case kSpriteSlot3: return 3;
    default: return 4;
  }
}

// The numbers of move_yposi, move_xyposi, move_xyset, move_xywait, set_fade,
// set_alpha, set_alpha2 and scroll: 1-3 sprites 1-3, 4 and 19 sprite 4, anything else
// the background.
constexpr int layerFromMoveNumber(int number) {
  switch (number) {
    case 1: return kSpriteSlot1;
    case 2: return kSpriteSlot2;
    case 3: return kSpriteSlot3;
    case 4:
    case 19: return kSpriteSlot4;
    default: return kBackgroundSlot;
  }
}

// Sprite numbers of sp, spl, spr, sp_loop and sp_wait: 0-3, larger numbers are sprite
// 4 and negative ones sprite 1.
constexpr int layerFromSpriteNumber(int number) {
  if (number < 0) number = 0;
  if (number > 3) number = 3;
  return kSpriteSlot1 + 2 * number;
}

}  // namespace ml
