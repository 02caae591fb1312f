// The music room: fourteen track buttons, the one playing marked, and a stop button.
#include <cstdio>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "scene/extras_screens.h"
#include "scene/screen_parts.h"

namespace ml {

namespace {

constexpr int kStopCode = 6;
constexpr int kHoverTrack = 20;

SoundChannel* music(Runtime& rt) { return rt.sound().channel(SoundService::kMusicChannel); }

void fadeMusicOut(Runtime& rt) {
  if (SoundChannel* c = music(rt)) c->startFade(rt.media.settings.volume.bgm, -5);
}

}  // namespace

void restoreTitleMusic(Runtime& rt) {
  // The demo names no title music: the title menu fades the channel out.
  fadeMusicOut(rt);
}

int runMusicRoom(ScriptContext& sc, const ExtrasTables& tables) {
  Runtime& rt = sc.rt;
  if (!fadeScreenOut(sc)) return 0;
  rt.sound().stopChannel(SoundService::kMusicChannel);
  clearSlots(rt, kExtrasBackSlot, kCountSlot + ExtrasTables::kEntriesPerPage - 1);
  Sprite& back = layer(rt, kExtrasBackSlot);
  if (back.loadPicture("cg\\_OmMuBack.bmp", rt.platform.ticks())) back.setPosition(0, 0);
  for (int t = 0; t < ExtrasTables::kTracks; ++t) {
    if (tables.music[static_cast<std::size_t>(t)].empty()) continue;
    char name[48];
    std::snprintf(name, sizeof name, "cg\\_OmMu%02d.psd", t + 1);
    loadButton(rt, kThumbnailSlot + t, name, 87, 133, kStateNormal);
  }
  loadButton(rt, kBtStopSlot, "cg\\_OmMuStop.psd", 332, 513, kStateSelected);
  loadButton(rt, kBtCgSlot, "cg\\_OmBtCg.psd", 549, 31, kStateNormal);
  loadButton(rt, kBtKsSlot, "cg\\_OmBtKs2.psd", 549, 31, kStateNormal);
  loadButton(rt, kBtRetSlot, "cg\\_OmBtRet.psd", 706, 565, kStateNormal);
  if (!fadeScreenIn(sc)) return 0;
  rt.story.input.consumePresses();

  int playing = -1;
  int hover = -1;
  PointerWatch pointer;
  auto hovered = [&](int x, int y) {
    for (int t = 0; t < ExtrasTables::kTracks; ++t)
      if (onSlot(rt, kThumbnailSlot + t, x, y)) return kHoverTrack + t;
    for (int code = 1; code <= kStopCode; ++code) {
      const int slot = kExtrasBackSlot + code;
      if (buttonFrame(rt, slot) != kStateSelected && onSlot(rt, slot, x, y)) return code;
    }
    return -1;
  };
  auto highlight = [&] {
    for (int t = 0; t < ExtrasTables::kTracks; ++t) {
      const int slot = kThumbnailSlot + t;
      if (layer(rt, slot).empty() || t == playing) continue;
      setButtonFrame(rt, slot, hover == kHoverTrack + t ? kStateHover : kStateNormal);
    }
    for (int code = 1; code <= 5; ++code) {
      const int slot = kExtrasBackSlot + code;
      if (layer(rt, slot).empty() || buttonFrame(rt, slot) == kStateSelected) continue;
      setButtonFrame(rt, slot, hover == code ? kStateHover : kStateNormal);
    }
  };
  auto stop = [&] {
    fadeMusicOut(rt);
    if (playing >= 0)
      setButtonFrame(rt, kThumbnailSlot + playing, hover == kHoverTrack + playing ? kStateHover : kStateNormal);
    playing = -1;
    setButtonFrame(rt, kBtStopSlot, kStateSelected);
  };

  int code = 0;
  while (!rt.requests().quitRequested) {
    if (extrasScreenEnds(sc)) return 0;
    bool changed = false;
    if (pointer.moved(sc)) {
      const int now = hovered(sc.mouseX, sc.mouseY);
      if (now != hover) {
        hover = now;
        highlight();
        changed = true;
      }
    }
    InputState& in = rt.story.input;
    if (in.isPressed(InputCancel)) {
      in.consumePresses();
      code = kToTitle;
      break;
    }
    if (in.isPressed(InputDecide)) {
      in.consumePresses();
      if (hover >= kHoverTrack && hover - kHoverTrack != playing) {
        const int t = hover - kHoverTrack;
        SoundChannel* c = music(rt);
        const Settings& s = rt.media.settings;
        if (c != nullptr && c->loadStreaming(tables.music[static_cast<std::size_t>(t)], s.bgm.allBgm)) {
          c->setVolume(s.volume.bgm, true);
          c->play(true);
        }
        if (playing >= 0) setButtonFrame(rt, kThumbnailSlot + playing, kStateNormal);
        playing = t;
        setButtonFrame(rt, kThumbnailSlot + t, kStateSelected);
        setButtonFrame(rt, kBtStopSlot, kStateNormal);
        changed = true;
      } else if ((hover >= kHoverTrack && hover - kHoverTrack == playing) || hover == kStopCode) {
        stop();
        changed = true;
      } else if (hover >= 1 && hover <= 5) {
        code = hover;
        break;
      }
    }
    finishPass(sc, changed);
  }
  if (rt.requests().quitRequested) return 0;
  restoreTitleMusic(rt);
  clearSlots(rt, 130, 169);
  return code;
}

}  // namespace ml
