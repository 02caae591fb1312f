// The choice commands and the choice window: registering choices, laying them out over
// the scene, waiting for the player (mouse, keys, or the autoplay answer) and storing
// the answer in S.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/command_table.h"
#include "engine/game_state.h"
#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/rect.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"
#include "scene/message_window.h"
#include "scene/scene_commands.h"
#include "scene/window_buttons.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts and choice texts
constexpr std::size_t kChoiceTextMax = 511;
constexpr int kChoiceExtraSlot = 130;
constexpr int kChoicePictureSlot = 140;
constexpr int kHighlightSlot = 150;
constexpr int kChoiceSpareSlot = 151;
constexpr int kChoiceTextSlot = 180;
constexpr std::uint32_t kIdleChoiceMs = 17;
constexpr int kChoiceGlyph = 24;

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[static_cast<std::size_t>(index)]; }

int clampedSum(long long a, long long b = 0, long long c = 0) {
  return static_cast<int>(std::clamp(a + b + c, -(1LL << 24), 1LL << 24));
}

// Only window 1 exists; anything else is reported and then treated as 1.
void checkWindowNumber(ScriptContext& sc, const std::string& argument) {
  if (sc.evaluate(argument) != 1) sc.scriptError(SJ("現在サポートされていないウィンドウＮｏ．"), argument);
}

std::string_view field(const char* text, std::size_t capacity) { return {text, strnlen(text, capacity)}; }

struct ChoiceLayout {
  int spacing = 0;
  int base = 0;
};

ChoiceLayout layoutFor(int n) {
  ChoiceLayout l;
  l.spacing = 346 / (n + 1);
  l.base = l.spacing + 11;
  return l;
}

// Where choice j's background picture (and the highlight on it) stands.
void pictureOrigin(const GameState& st, const ChoiceLayout& l, int j, int& x, int& y) {
  const std::int32_t* p = st.choiceParams;  // P1..P10, P11, P12
  x = clampedSum(p[0], static_cast<long long>(p[8]) * j, static_cast<long long>(p[10]) - 9);
  y = clampedSum(l.base, static_cast<long long>(j) * l.spacing, p[11]);
}

bool contains(const Rect& r, int x, int y) {
  return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

Rect pictureRect(const Sprite& s) {
  if (!s.hasPicture() || !s.visible()) return {};
  return {s.x(), s.y(), s.width(), s.height()};
}

// A text sprite's width counts cells: each cell is one glyph wide.
Rect textRect(const Sprite& s, int bytes) {
  if (!s.isText() || !s.visible()) return {};
  return {s.x(), s.y(), bytes * kChoiceGlyph / 2, kChoiceGlyph};
}

void layOut(ScriptContext& sc, int n) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  const ChoiceLayout l = layoutFor(n);
  ensureMessageFonts(rt, st);
  const std::string_view picture = field(st.choiceWindowPicture, sizeof st.choiceWindowPicture);
  std::string path;
  // "NULL" names no picture, as for the other windows.
  if (!picture.empty() && picture != "NULL") {
    const std::string bmp = "cg\\" + std::string(picture) + ".bmp";
    const std::string psd = "cg\\" + std::string(picture) + ".psd";
    if (sc.fileExists(bmp, true))
      path = bmp;
    else if (sc.fileExists(psd, false))
      path = psd;
  }
  for (int j = 0; j < n; ++j) {
    const std::string& text = *sc.choiceTexts[std::size_t(j)];
    const int bytes = static_cast<int>(text.size());
    Sprite& s = slot(rt, kChoiceTextSlot + j);
    s.setText(text, rt.scene.messageFonts.normal, kWhiteText, kChoiceGlyph, bytes / 2 + 2, 1, false);
    s.setPosition(400 - 6 * bytes, clampedSum(static_cast<long long>(j) * l.spacing, l.base, st.choiceParams[5]));
    if (path.empty()) continue;
    Sprite& bg = slot(rt, kChoicePictureSlot + j);
    if (!bg.loadPicture(path, rt.platform.ticks())) continue;
    int x = 0, y = 0;
    pictureOrigin(st, l, j, x, y);
    bg.setPosition(x, y);
    bg.setAlpha(rt.media.settings.window.alpha);
  }
  Sprite& highlight = slot(rt, kHighlightSlot);
  if (highlight.loadPicture("cg\\_WinSelS.psd", rt.platform.ticks())) highlight.setVisible(false);
}

// The first choice under the pointer, or -1.
int choiceUnder(ScriptContext& sc, int n, int mx, int my) {
  Runtime& rt = sc.rt;
  const Sprite& highlight = slot(rt, kHighlightSlot);
  const Rect lit = pictureRect(highlight);
  const bool onHighlight = contains(lit, mx, my);
  for (int j = 0; j < n; ++j) {
    const int bytes = static_cast<int>(sc.choiceTexts[std::size_t(j)]->size());
    if (contains(textRect(slot(rt, kChoiceTextSlot + j), bytes), mx, my)) return j;
    const Sprite& bg = slot(rt, kChoicePictureSlot + j);
    const Rect r = pictureRect(bg);
    if (contains(r, mx, my)) return j;
    if (onHighlight && !r.empty() && r.y == lit.y) return j;
  }
  return -1;
}

void placeHighlight(ScriptContext& sc, int n, int hovered) {
  Runtime& rt = sc.rt;
  Sprite& highlight = slot(rt, kHighlightSlot);
  if (highlight.empty()) return;
  if (hovered < 0 || hovered >= n) {
    highlight.setVisible(false);
    return;
  }
  int x = 0, y = 0;
  pictureOrigin(*sc.state, layoutFor(n), hovered, x, y);
  highlight.setPosition(x, y);
  highlight.setVisible(true);
}

void showPrompt(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  const MessageWindowState& mw = rt.scene.messageWindow;
  Sprite& prompt = slot(rt, kMessageTextSlot);
  prompt.setText(mw.choicePrompt, rt.scene.messageFonts.normal, kWhiteText, 24, st.windowColumns, st.windowRows,
                 true);
  prompt.setPosition(clampedSum(st.windowX, st.textOffsetX), clampedSum(st.windowY, st.textOffsetY));
  Sprite& speaker = slot(rt, kSpeakerNameSlot);
  speaker.setText(mw.choicePromptSpeaker, rt.scene.messageFonts.normal, kWhiteText, 24, st.namePlateColumns,
                  st.namePlateRows, true);
  speaker.setPosition(clampedSum(st.namePlateX, st.namePlateTextOffsetX),
                      clampedSum(st.namePlateY, st.namePlateTextOffsetY));
  // The backlog and a save see the prompt as the page on screen.
  if (sc.messageText) {
    const std::string_view text = sjis::cutAtBoundary(mw.choicePrompt, ScriptContext::kMessageCapacity - 1);
    std::memcpy(sc.messageText.get(), text.data(), text.size());
    sc.messageText[text.size()] = 0;
  }
  setSpeakerName(sc, mw.choicePromptSpeaker);
}

// An autoplay run answers by itself: first, last, or drawn from the seeded generator.
int automaticAnswer(Runtime& rt, int n) {
  switch (rt.story.autoChoice) {
    case AutoChoice::First: return 0;
    case AutoChoice::Last: return n - 1;
    case AutoChoice::Random: return static_cast<int>(rt.story.random.next31() % static_cast<std::uint32_t>(n));
    case AutoChoice::None: break;
  }
  return -1;
}

enum class WaitEnd { Chosen, NoChoice, Leave, Stop };

// The wait for the player's choice. `chosen` is the index picked.
WaitEnd waitForChoice(ScriptContext& sc, int n, int& chosen) {
  Runtime& rt = sc.rt;
  InputState& in = rt.story.input;
  int hovered = -1;
  int lastX = in.mouseX, lastY = in.mouseY;
  bool first = true;
  for (;;) {
    const std::uint32_t frameStart = rt.platform.ticks();
    if (pollWithMenus(sc, false, true)) return WaitEnd::Leave;
    if (rt.requests().menuReturnRequested) {
      rt.requests().menuReturnRequested = false;
      return WaitEnd::Stop;
    }
    if (rt.story.autoChoice != AutoChoice::None) {
      present(sc);
      chosen = automaticAnswer(rt, n);
      return WaitEnd::Chosen;
    }
    bool redraw = first;
    const int before = hovered;
    if (first || in.mouseX != lastX || in.mouseY != lastY) {
      lastX = in.mouseX;
      lastY = in.mouseY;
      hovered = choiceUnder(sc, n, lastX, lastY);
    }
    first = false;
    if (n > 0 && in.isPressed(InputUp)) {
      hovered = hovered <= 0 ? n - 1 : hovered - 1;
      in.consumePresses();
    } else if (n > 0 && in.isPressed(InputDown)) {
      hovered = hovered >= n - 1 ? 0 : hovered + 1;
      in.consumePresses();
    }
    const bool shown = rt.story.switches.messageWindowActive;
    if (!shown) hovered = -1;
    placeHighlight(sc, n, shown ? hovered : -1);
    if (hovered != before) redraw = true;
    if (shown && hovered >= 0 && in.isPressed(InputDecide)) {
      in.consumePresses();
      chosen = hovered;
      return WaitEnd::Chosen;
    }
    const int r = handleWindowButtons(sc, true);
    if (r == kButtonsGameLoaded) return WaitEnd::Leave;
    if (r == kButtonsRewound) return WaitEnd::NoChoice;
    // A click beside the choices would otherwise stay latched and be seen each pass.
    if (r == kButtonsAdvance) in.consumePresses();
    if (redraw || r > 0) {
      present(sc);
    } else {
      const std::uint32_t spent = rt.platform.ticks() - frameStart;
      if (spent < kIdleChoiceMs) rt.platform.sleep(kIdleChoiceMs - spent);
    }
  }
}

void clearChoiceSlots(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  for (int j = 0; j < sc.choiceCount && j < ScriptContext::kChoiceSlots; ++j) {
    slot(rt, kChoiceExtraSlot + j).release();
    slot(rt, kChoicePictureSlot + j).release();
    slot(rt, kChoiceTextSlot + j).release();
  }
  slot(rt, kHighlightSlot).release();
  slot(rt, kChoiceSpareSlot).release();
  sc.choiceCount = 0;
}

}  // namespace

// window_sel number P1..P10 picture P11 P12
std::uint8_t cmdWindowSel(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  std::string args[14];
  for (auto& a : args) a = sc.readArgument();
  if (sc.evaluate(args[0]) != 1) {
    sc.scriptError(SJ("現在サポートされていないウィンドウＮｏ．"), args[0]);
    return 1;
  }
  GameState& st = *sc.state;
  for (int i = 0; i < 10; ++i) st.choiceParams[i] = sc.evaluate(args[1 + i]);
  std::memset(st.choiceWindowPicture, 0, sizeof st.choiceWindowPicture);
  std::memcpy(st.choiceWindowPicture, args[11].data(),
              std::min(args[11].size(), sizeof st.choiceWindowPicture - 1));
  st.choiceParams[10] = sc.evaluate(args[12]);
  st.choiceParams[11] = sc.evaluate(args[13]);
  return 1;
}

// def_sel text: one choice, or "NULL" to leave one out while the ids still count it.
std::uint8_t cmdDefSel(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  const std::string text = sc.readArgument(kLongArgument);
  if (sc.choiceCount > ScriptContext::kChoiceSlots - 1) {
    sc.scriptError(SJ("選択肢はこれ以上登録できない"), "");
    return 1;
  }
  const std::size_t index = static_cast<std::size_t>(std::max(sc.choiceCount, 0));
  sc.choiceTexts[index].reset();
  if (text != "NULL") {
    sc.choiceTexts[index] = std::string(sjis::cutAtBoundary(text, kChoiceTextMax));
    sc.choiceIds[index] = sc.choiceIdCounter;
    ++sc.choiceCount;
  }
  ++sc.choiceIdCounter;
  return 1;
}

// def_selmes / def_selmes2 text: the prompt and its speaker line.
std::uint8_t cmdDefSelmes(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  std::string text = sc.readArgument(kLongArgument);
  MessageWindowState& mw = sc.rt.scene.messageWindow;
  (row.a == 2 ? mw.choicePromptSpeaker : mw.choicePrompt) = std::move(text);
  return 1;
}

// select / select2 windowNumber: shows the registered choices and stores the answer
// (id + 1) in S.
std::uint8_t cmdSelect(ScriptContext& sc, const CommandRow& row) {
  Runtime& rt = sc.rt;
  sc.skipWord();
  const std::string argument = sc.readArgument();
  endFastForward(sc);
  slot(rt, kModeIndicatorSlot).release();
  checkWindowNumber(sc, argument);

  const int n = std::clamp(sc.choiceCount, 0, ScriptContext::kChoiceSlots);
  sc.choiceCount = n;
  sc.choiceShown = n;
  if (row.a == 1 && !rt.story.debugMode && n > 1) {
    const auto a = static_cast<std::size_t>(rt.story.random.next31() % static_cast<std::uint32_t>(n));
    const auto b = static_cast<std::size_t>(rt.story.random.next31() % static_cast<std::uint32_t>(n));
    std::swap(sc.choiceTexts[a], sc.choiceTexts[b]);
    std::swap(sc.choiceIds[a], sc.choiceIds[b]);
  }
  // Nothing registered (every line "NULL", or none): there is nothing the player could
  // answer, so the story goes on at once instead of waiting for ever.
  if (n == 0) return 1;
  for (int j = 0; j < n; ++j)
    if (!sc.choiceTexts[std::size_t(j)]) sc.choiceTexts[std::size_t(j)] = std::string();

  layOut(sc, n);
  if (sc.mainGame) rt.shell->refreshSaveMenus(true);
  if (sc.state->windowHidden() == 0) showWindowButtons(sc);
  showPrompt(sc);
  sc.waitingForClick = true;
  if (sc.mainGame && sc.state->readTrackingOff() == 0)
    rt.media.readStatus.isRead(sc.scriptPath, sc.state->voiceIndex, true);
  slot(rt, kKeyWaitSlot).setVisible(false);
  rt.backlog().addEntry(sc, nullptr);

  int chosen = -1;
  const WaitEnd end = waitForChoice(sc, n, chosen);
  if (end == WaitEnd::Stop) return 0;
  if (end == WaitEnd::Leave) return 1;

  slot(rt, kMessageTextSlot).release();
  slot(rt, kSpeakerNameSlot).release();
  sc.waitingForClick = false;
  rt.shell->refreshSaveMenus(false);
  removeWindowButtons(rt.scene.layers);
  if (rt.requests().quitRequested) return 1;
  std::string text;
  std::int32_t id = 0;
  if (end == WaitEnd::Chosen && chosen >= 0 && chosen < n) {
    text = *sc.choiceTexts[std::size_t(chosen)];
    id = sc.choiceIds[std::size_t(chosen)];
  }
  clearChoiceSlots(sc);
  // The next text line starts a page of its own rather than continuing the prompt.
  sc.newPage = true;
  if (end != WaitEnd::Chosen || chosen < 0 || chosen >= n) return 1;

  // Saved before S changes, so that returning here offers the same choice again.
  if (sc.mainGame) rt.saves().saveLastChoice(sc);
  sc.state->vars['S' - 'A'] = id + 1;
  if (rt.story.debugMode) rt.shell->refreshFlagDialog();
  const std::string line = std::string(SJ("選択肢【")) + text + SJ("】");
  rt.backlog().addEntry(sc, line.c_str());
  return 1;
}

// select_center_on / select_center_off
std::uint8_t cmdSelectCenter(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  sc.state->centredChoices() = static_cast<std::uint8_t>(row.a);
  return 1;
}

}  // namespace ml
