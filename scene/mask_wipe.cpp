// effect and ef2: the background wiped to a new picture along the grey levels of a
// mask picture, darkest parts first.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "scene/scene_commands.h"
#include "engine/command_table.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"
#include "scene/compose_scene.h"
#include "scene/effect_wait.h"
#include "scene/picture_layers.h"
#include "media/gfx/layer_slots.h"

namespace ml {
namespace {

constexpr int kWipeSlot = kSpriteSlot2;  // the new picture waits here, hidden
constexpr int kWindowFirstSlot = 30;
constexpr int kWindowLastSlot = 79;

// Frame 0 of a picture as a full 800x600 frame: pictures of another size are placed
// at the top-left corner over transparent black.
const std::uint32_t* asFullFrame(const Surface& s, std::vector<std::uint32_t>& scratch) {
  if (s.width() == BackBuffer::kWidth && s.height() == BackBuffer::kHeight) return s.pixels(0);
  scratch.assign(kFramePixels, 0);
  const std::uint32_t* src = s.pixels(0);
  const int w = std::min(s.width(), BackBuffer::kWidth), h = std::min(s.height(), BackBuffer::kHeight);
  for (int y = 0; src != nullptr && y < h; ++y)
    std::copy_n(src + std::size_t(y) * s.width(), w, scratch.data() + std::size_t(y) * BackBuffer::kWidth);
  return scratch.data();
}

// The message window steps aside during the wipe and comes back as it was.
class WindowAside {
 public:
  explicit WindowAside(Runtime& rt) : rt_(rt) {
    if (!rt.story.switches.messageWindowActive) return;
    active_ = true;
    for (int s = kWindowFirstSlot; s <= kWindowLastSlot; ++s) {
      Sprite& layer = rt.scene.layers[static_cast<std::size_t>(s)];
      visible_[static_cast<std::size_t>(s - kWindowFirstSlot)] = layer.visible();
      layer.setVisible(false);
    }
    rt.story.switches.messageWindowActive = false;
  }
  ~WindowAside() {
    if (!active_) return;
    for (int s = kWindowFirstSlot; s <= kWindowLastSlot; ++s)
      rt_.scene.layers[static_cast<std::size_t>(s)].setVisible(visible_[static_cast<std::size_t>(s - kWindowFirstSlot)]);
    rt_.story.switches.messageWindowActive = true;
  }
  WindowAside(const WindowAside&) = delete;
  WindowAside& operator=(const WindowAside&) = delete;

 private:
  Runtime& rt_;
  bool active_ = false;
  std::array<bool, kWindowLastSlot - kWindowFirstSlot + 1> visible_{};
};

}  // namespace

std::uint8_t cmdEffect(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  Runtime& rt = sc.rt;
  std::string transition = "FADE_IN";
  if (row.a == 0) {
    transition = sc.readArgument();
    sc.readArgument();  // a level the wipe does not use
  }
  const std::string maskName = sc.readArgument();
  std::string pictureName = sc.readArgument();
  sc.substituteDefine(pictureName);
  sc.markPictureFlag(pictureName);

  GameState& state = *sc.state;
  recordName(state, 0, pictureName);
  for (int k = 1; k <= 3; ++k) clearRecordedName(state, k);
  if (sc.fastForward) {
    state.backgroundEffectMode() = 0;
    return 1;
  }
  if (transition != "FADE_IN") {
    reportBadParameter(sc, transition);
    return 1;
  }
  if (rt.scene.backBuffer.pixels() == nullptr) return 1;

  const std::string maskBase = "cg\\" + maskName;
  std::string maskPath = maskBase + ".bmp";
  if (!sc.fileExists(maskPath, true)) {
    maskPath = maskBase + ".psd";
    if (!sc.fileExists(maskPath, false)) return 1;
  }
  Surface mask(rt.media.context);
  if (!mask.load(maskPath)) return 1;

  Sprite& incoming = rt.scene.layers[kWipeSlot];
  if (!pictureName.empty()) {
    if (!loadScenePicture(sc, incoming, pictureName)) return 1;
  } else if (!incoming.makeBox(BackBuffer::kWidth, BackBuffer::kHeight, 1)) {
    return 1;
  }
  incoming.setVisible(false);

  std::vector<std::uint32_t> maskScratch, pictureScratch;
  const std::uint32_t* pattern = asFullFrame(mask, maskScratch);
  const std::uint32_t* source = asFullFrame(*incoming.surface(), pictureScratch);

  {
    WindowAside aside(rt);
    rt.composeBackBuffer();
    std::uint32_t* frame = rt.scene.backBuffer.pixels();
    const int step = std::max(1, transitionStep(rt.media.settings) / 2);
    for (int v = 0; v < 256; v += step) {
      if (!poll(sc)) return 0;
      if (rt.requests().titleRequested || effectStopped(sc)) break;
      rt.media.pixels->maskedCopy(v, pattern, source, frame, kFramePixels);
      repaint(sc);
    }
    rt.media.pixels->maskedCopy(255, pattern, source, frame, kFramePixels);
    repaint(sc);
  }

  rt.scene.layers[kBackgroundSlot].swapContents(rt.scene.layers[kWipeSlot]);
  rt.scene.layers[kBackgroundSlot].setVisible(true);
  for (int slot : {kSpriteSlot1, kSpriteSlot2, kSpriteSlot3}) rt.scene.layers.clear(slot);
  backgroundEffectHook(0);
  return 1;
}

}  // namespace ml
