#include "scene/message_window.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/text/text_layout.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr int kSpeakerNameMax = 63;  // msg2 reads at most this many bytes

// Copies a name into a fixed game-state field without splitting a character.
template <std::size_t N>
void copyField(char (&field)[N], std::string_view text) {
  std::string_view cut = sjis::cutAtBoundary(text, N - 1);
  std::memset(field, 0, N);
  std::memcpy(field, cut.data(), cut.size());
}

template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// "cg\<name>.bmp" when it exists, else "cg\<name>.psd"; empty (and reported) when
// neither does.
std::string findPicture(ScriptContext& sc, std::string_view name) {
  std::string bmp = "cg\\" + std::string(name) + ".bmp";
  if (sc.fileExists(bmp, true)) return bmp;
  std::string psd = "cg\\" + std::string(name) + ".psd";
  if (sc.fileExists(psd, false)) return psd;
  return {};
}

// Screen positions from recorded geometry. The numbers come from scripts and saved
// games, so they are summed wide and kept far off screen instead of wrapping.
int at(long long a, long long b = 0, long long c = 0) {
  return static_cast<int>(std::clamp(a + b + c, -(1LL << 24), 1LL << 24));
}

Sprite& slot(Runtime& rt, int index) { return rt.scene.layers[static_cast<std::size_t>(index)]; }

bool loadAt(Runtime& rt, int index, std::string_view path, int x, int y) {
  Sprite& s = slot(rt, index);
  if (!s.loadPicture(path, rt.platform.ticks())) return false;
  s.setPosition(x, y);
  return true;
}

// A picture of the window or the plate with its translucent board behind it; the
// board takes the picture's size.
void loadFramedPicture(Runtime& rt, int boardSlot, int pictureSlot, std::string_view path, int x,
                       int y) {
  Sprite& board = slot(rt, boardSlot);
  if (!loadAt(rt, pictureSlot, path, x, y)) {
    board.release();
    return;
  }
  Sprite& picture = slot(rt, pictureSlot);
  picture.setBoardMode(1);  // the window opacity (Window/Alpha)
  if (!board.makeMessageBox(x, y, picture.width(), picture.height())) board.release();
}

// The window picture (and its board) from the recorded name and geometry. False when
// the picture is missing.
bool loadWindowPicture(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  GameState& st = *sc.state;
  std::string_view name = fieldText(st.windowPicture);
  if (name.empty()) {
    slot(rt, kWindowPictureSlot).release();
    slot(rt, kWindowBoardSlot).release();
    return false;
  }
  std::string path = findPicture(sc, name);
  if (path.empty()) {
    slot(rt, kWindowPictureSlot).release();
    slot(rt, kWindowBoardSlot).release();
    return false;
  }
  loadFramedPicture(rt, kWindowBoardSlot, kWindowPictureSlot, path,
                    at(st.windowX, st.windowPictureOffsetX), at(st.windowY, st.windowPictureOffsetY));
  return true;
}

bool freshPageBuffer(ScriptContext& sc) {
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[ScriptContext::kMessageCapacity]);
  if (!buffer) {
    sc.rt.reporter.systemError("SCRIPT", 0, SJ("メモリが足りません"), "");
    return false;
  }
  buffer[0] = 0;
  sc.messageText = std::move(buffer);
  return true;
}

// Layout of the page text as its sprite will draw it (on a copy: the real text is
// cut or blanked by the sprite itself, with its reports).
TextLayoutResult layoutPage(ScriptContext& sc, std::vector<PlacedChar>& placed) {
  const GameState& st = *sc.state;
  std::string text(sc.messageText ? sc.messageText.get() : "", sc.messageLength());
  TextLayoutParams params;
  params.glyphSize = pageTextSize(sc.state->textSizeCode());
  params.columns = st.windowColumns;
  params.rows = st.windowRows;
  params.layoutRules = true;
  RecordingReporter quiet;
  return layoutText(text, params, sc.rt.media.textRules, quiet, placed);
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

}  // namespace

int pageTextSize(int storedCode) {
  switch (storedCode) {
    case 1: return 36;
    case 3: return 48;
    case 5: return 60;
    case 8: return 72;
    default: return 24;
  }
}

// --- the window command ------------------------------------------------------------------

void defineMessageWindow(ScriptContext& sc, const WindowGeometry& g, std::string_view picture) {
  Runtime& rt = sc.rt;
  GameState& st = *sc.state;
  st.windowX = g.x;
  st.windowY = g.y;
  st.windowUnused[0] = g.a;
  st.windowUnused[1] = g.b;
  st.textOffsetX = g.textX;
  st.textOffsetY = g.textY;
  st.windowColumns = g.columns;
  st.windowRows = g.rows;
  st.windowPictureOffsetX = g.pictureX;
  st.windowPictureOffsetY = g.pictureY;
  st.windowHidden() = 0;
  // The window is built anew: nothing remembered from an earlier hide applies.
  rt.scene.messageWindow.hidden = false;

  if (!freshPageBuffer(sc)) return;
  loadAt(rt, kWindowFrameSlot, "cg\\_WindowF.psd", g.x, g.y);

  std::string path = findPicture(sc, picture);
  if (path.empty()) {
    slot(rt, kWindowPictureSlot).release();
    slot(rt, kWindowBoardSlot).release();
  } else {
    copyField(st.windowPicture, picture);
    loadFramedPicture(rt, kWindowBoardSlot, kWindowPictureSlot, path, at(g.x, g.pictureX),
                      at(g.y, g.pictureY));
    applyWindowSettings(rt);
  }
  rt.story.switches.messageWindowActive = true;
}

void defineNamePlate(ScriptContext& sc, const WindowGeometry& g, std::string_view picture) {
  GameState& st = *sc.state;
  st.namePlateX = g.x;
  st.namePlateY = g.y;
  st.namePlateUnused[0] = g.a;
  st.namePlateUnused[1] = g.b;
  st.namePlateTextOffsetX = g.textX;
  st.namePlateTextOffsetY = g.textY;
  st.namePlateColumns = g.columns;
  st.namePlateRows = g.rows;
  st.namePlatePictureOffsetX = g.pictureX;
  st.namePlatePictureOffsetY = g.pictureY;
  copyField(st.namePlatePicture, picture);
  sc.speakerName.reset();
}

void reloadMessageWindow(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  rt.scene.messageWindow.hidden = false;
  loadAt(rt, kWindowFrameSlot, "cg\\_WindowF.psd", st.windowX, st.windowY);
  if (loadWindowPicture(sc)) applyWindowSettings(rt);
  slot(rt, kMessageTextSlot).release();
  slot(rt, kKeyWaitSlot).release();
  closeSpeakerName(sc);
  ensureMessageFonts(rt, st);
  if (sc.messageText)
    sc.messageText[0] = 0;
  else
    freshPageBuffer(sc);
  rt.story.switches.messageWindowActive = true;
  if (sc.state->windowHidden() != 0) hideWindow(rt);
}

// --- the speaker name ------------------------------------------------------------------

void setSpeakerName(ScriptContext& sc, std::string_view name) {
  // The name buffer holds rows x 20 + 2 bytes with its terminator; a longer name is
  // cut rather than written past it.
  const int rows = std::clamp(sc.state->namePlateRows, 0, 100);
  const std::size_t capacity = std::min<std::size_t>(kSpeakerNameMax, std::size_t(rows) * 20 + 1);
  sc.speakerName = std::string(sjis::cutAtBoundary(name, capacity));
}

void showSpeakerName(ScriptContext& sc, std::uint32_t colour) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  if (!sc.speakerName || sc.speakerName->empty()) {
    for (int i = kPlateBoardSlot; i <= kSpeakerNameSlot; ++i) slot(rt, i).release();
    return;
  }
  const std::string& name = *sc.speakerName;
  // Centred in a field of `columns` full-width characters, measured with a leading
  // placeholder replaced by the name it stands for.
  int length = static_cast<int>(name.size());
  if (startsWith(name, SJ("●名●")))
    length += static_cast<int>(rt.media.textRules.givenName().size()) - static_cast<int>(SJ("●名●").size());
  else if (startsWith(name, SJ("▲氏▲")))
    length += static_cast<int>(rt.media.textRules.familyName().size()) - static_cast<int>(SJ("▲氏▲").size());

  ensureMessageFonts(rt, st);
  Sprite& text = slot(rt, kSpeakerNameSlot);
  text.setText(name, rt.scene.messageFonts.normal, colour, 24, st.namePlateColumns, st.namePlateRows, true);
  text.setPosition(at(st.namePlateX, st.namePlateTextOffsetX, 12LL * st.namePlateColumns - 6LL * length),
                   at(st.namePlateY, st.namePlateTextOffsetY));

  std::string_view plate = fieldText(st.namePlatePicture);
  if (plate == "NULL" || plate.empty()) return;
  std::string path = findPicture(sc, plate);
  if (path.empty()) return;
  const int x = at(st.namePlateX, st.namePlatePictureOffsetX);
  const int y = at(st.namePlateY, st.namePlatePictureOffsetY);
  loadFramedPicture(rt, kPlateBoardSlot, kPlatePictureSlot, path, x, y);
  loadAt(rt, kPlateFrameSlot, "cg\\_WinNamF.psd", x, y);
  if (!rt.media.settings.window.window) slot(rt, kPlatePictureSlot).setVisible(false);
  if (!rt.media.settings.window.board) slot(rt, kPlateBoardSlot).setVisible(false);
}

void closeSpeakerName(ScriptContext& sc) {
  sc.speakerName.reset();
  for (int i = kPlateBoardSlot; i <= kSpeakerNameSlot; ++i) slot(sc.rt, i).release();
}

// --- the page ----------------------------------------------------------------------------

void showPageText(ScriptContext& sc, std::uint32_t colour) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  ensureMessageFonts(rt, st);
  std::string_view text(sc.messageText ? sc.messageText.get() : "", sc.messageLength());
  Sprite& s = slot(rt, kMessageTextSlot);
  s.setText(text, rt.scene.messageFonts.large, colour, pageTextSize(sc.state->textSizeCode()),
            st.windowColumns, st.windowRows, true);
  s.setPosition(at(st.windowX, st.textOffsetX), at(st.windowY, st.textOffsetY));
}

int pageCharacterCount(ScriptContext& sc) {
  std::vector<PlacedChar> placed;
  return layoutPage(sc, placed).shown;
}

void pageTextEnd(ScriptContext& sc, int& x, int& y) {
  const GameState& st = *sc.state;
  std::vector<PlacedChar> placed;
  TextLayoutResult r = layoutPage(sc, placed);
  int px = 0, py = 0;
  if (r.penSet) {
    px = r.penX;
    py = r.penY;
  } else if (!placed.empty()) {
    // No line end after the last character: the pen stands right after it.
    const PlacedChar& last = placed.back();
    const int size = pageTextSize(sc.state->textSizeCode());
    px = last.x + (last.trail != 0 ? size : size / 2);
    py = last.y;
  }
  x = at(st.windowX, st.textOffsetX, px);
  y = at(st.windowY, st.textOffsetY, py);
}

void loadKeyWaitIcon(Runtime& rt) {
  Sprite& icon = slot(rt, kKeyWaitSlot);
  if (!icon.loadPicture("cg\\_Ret.psd", rt.platform.ticks())) return;
  icon.setPingPong(true);
  icon.setVisible(false);
}

void placeKeyWaitIcon(ScriptContext& sc) {
  Sprite& icon = slot(sc.rt, kKeyWaitSlot);
  if (icon.empty()) return;
  int x = kFixedKeyWaitX, y = kFixedKeyWaitY;
  if (sc.rt.media.settings.message.retPosi == 0) pageTextEnd(sc, x, y);
  icon.setPosition(x, y);
  icon.setVisible(true);
}

// --- the button bar ------------------------------------------------------------------------

void setButtonState(ScenePart& scene, int button, int state) {
  if (button < 1 || button > MessageWindowState::kButtonCount) return;
  scene.messageWindow.buttonState[static_cast<std::size_t>(button)] = state;
  // Frames 0-2 show normal, pointed at and selected; a disabled button shows the frame
  // after them when its picture has one.
  scene.layers[kButtonSlotBase + button].setFrame(state < 0 ? 3 : state);
}

int buttonState(const ScenePart& scene, int button) {
  if (button < 1 || button > MessageWindowState::kButtonCount) return -1;
  return scene.messageWindow.buttonState[static_cast<std::size_t>(button)];
}

void showWindowButtons(ScriptContext& sc) {
  Runtime& rt = sc.rt;
  const GameState& st = *sc.state;
  const int x = at(st.windowX, 188);
  const int y = at(st.windowY, 39);
  auto loadButton = [&](int button, const char* path) {
    Sprite& s = slot(rt, kButtonSlotBase + button);
    if (loadAt(rt, kButtonSlotBase + button, path, x, y)) s.setAnimating(false);
    setButtonState(rt.scene, button, 0);
  };
  // The load, save and hide buttons are the game's own choice: their pictures are used
  // when the game has them, and their keys work either way.
  auto loadOptionalButton = [&](int button, const char* path, bool usable) {
    if (usable && sc.fileExists(path, true)) loadButton(button, path);
    else slot(rt, kButtonSlotBase + button).release();
    rt.scene.messageWindow.buttonState[std::size_t(button)] = usable ? 0 : -1;
  };
  loadButton(kButtonLog, "cg\\_iLog.psd");
  loadOptionalButton(kButtonLoad, "cg\\_iLoad.psd", sc.mainGame);
  loadOptionalButton(kButtonSave, "cg\\_iSave.psd", sc.mainGame);
  loadButton(kButtonSkip, "cg\\_iSkip.psd");
  loadButton(kButtonAuto, "cg\\_iAuto.psd");
  if (sc.mainGame) {
    loadButton(kButtonPrevChoice, "cg\\_iPrevSel.psd");
    // Shown only while there is a last choice to return to (its menu item is then
    // enabled: the save of the last choice exists).
    if (rt.media.saveFolder.exists("Save900.dat")) {
      setButtonState(rt.scene, kButtonPrevChoice, 0);
    } else {
      slot(rt, kButtonSlotBase + kButtonPrevChoice).setVisible(false);
      setButtonState(rt.scene, kButtonPrevChoice, -1);
    }
    loadButton(kButtonNextChoice, "cg\\_iNextSel.psd");
  } else {
    slot(rt, kButtonSlotBase + kButtonPrevChoice).release();
    slot(rt, kButtonSlotBase + kButtonNextChoice).release();
    rt.scene.messageWindow.buttonState[kButtonPrevChoice] = -1;
    rt.scene.messageWindow.buttonState[kButtonNextChoice] = -1;
  }
  loadButton(kButtonOption, "cg\\_iOption.psd");
  loadOptionalButton(kButtonHide, "cg\\_iHide.psd", true);
  // The caption of the button under the pointer (frame m - 1), above the start of the
  // bar; shown by the button pass.
  Sprite& caption = slot(rt, kButtonCaptionSlot);
  if (sc.fileExists("cg\\_iGuide.psd", true) && caption.loadPicture("cg\\_iGuide.psd", rt.platform.ticks())) {
    caption.setAnimating(false);
    caption.setPosition(x, at(y, -2LL - caption.height()));
    caption.setVisible(false);
  } else {
    caption.release();
  }
  loadAt(rt, kWindowFrameSlot, "cg\\_WindowF.psd", st.windowX, st.windowY);
  applyWindowSettings(rt);
}

void removeWindowButtons(LayerTable& layers) {
  for (int i = kButtonSlotBase; i <= kButtonCaptionSlot; ++i) layers[i].release();
}

void applyWindowSettings(Runtime& rt) {
  const Settings& s = rt.media.settings;
  if (!s.window.window) {
    slot(rt, kWindowPictureSlot).setVisible(false);
    slot(rt, kPlatePictureSlot).setVisible(false);
  }
  if (!s.window.board) {
    slot(rt, kWindowBoardSlot).setVisible(false);
    slot(rt, kPlateBoardSlot).setVisible(false);
  }
  if (!s.window.icon)
    for (int i = kButtonSlotBase; i < kButtonCaptionSlot; ++i) slot(rt, i).setVisible(false);
}

// --- hiding ------------------------------------------------------------------------------

void hideWindow(Runtime& rt) {
  MessageWindowState& mw = rt.scene.messageWindow;
  constexpr int first = kWindowFirstSlot;
  constexpr int last = kWindowLastSlot;
  if (!mw.hidden) {
    for (int i = first; i <= last; ++i) mw.windowVisible[std::size_t(i - first)] = slot(rt, i).visible();
    mw.hidden = true;
  }
  for (int i = first; i <= last; ++i) slot(rt, i).setVisible(false);
  rt.story.switches.messageWindowActive = false;
}

void restoreWindow(Runtime& rt) {
  MessageWindowState& mw = rt.scene.messageWindow;
  constexpr int first = kWindowFirstSlot;
  constexpr int last = kWindowLastSlot;
  if (mw.hidden) {
    for (int i = first; i <= last; ++i) slot(rt, i).setVisible(mw.windowVisible[std::size_t(i - first)]);
    mw.hidden = false;
  }
  rt.story.switches.messageWindowActive = true;
}

void windowOff(ScriptContext& sc) {
  sc.state->windowHidden() = 1;
  hideWindow(sc.rt);
}

void windowOn(ScriptContext& sc) {
  sc.state->windowHidden() = 0;
  restoreWindow(sc.rt);
}

// --- fonts -------------------------------------------------------------------------------

void ensureMessageFonts(Runtime& rt, const GameState& st) {
  MessageFonts& f = rt.scene.messageFonts;
  const int code = st.flags[2044] + 1;
  if (f.normal && f.small && f.large && f.large->height() == MessageFonts::largeHeight(code)) return;
  f.rebuild(rt.media.fonts, rt.scene.fontName, rt.scene.fontStyle, code);
}

void setTextSizeCode(ScriptContext& sc, int code) {
  Runtime& rt = sc.rt;
  sc.state->textSizeCode() = static_cast<std::uint8_t>(code - 1);
  rt.scene.messageFonts.rebuild(rt.media.fonts, rt.scene.fontName, rt.scene.fontStyle, code);
  slot(rt, kMessageTextSlot).setFont(rt.scene.messageFonts.large);
}

void resetTextSize(Runtime& rt) {
  rt.story.state.textSizeCode() = 0;
  rt.scene.messageFonts.rebuild(rt.media.fonts, rt.scene.fontName, rt.scene.fontStyle, 1);
  slot(rt, kMessageTextSlot).setFont(rt.scene.messageFonts.large);
}

void applyMessageFontChange(Runtime& rt) {
  rt.scene.messageFonts.rebuild(rt.media.fonts, rt.scene.fontName, rt.scene.fontStyle,
                          rt.story.state.textSizeCode() + 1);
  slot(rt, kMessageTextSlot).setFont(rt.scene.messageFonts.large);
  slot(rt, kSpeakerNameSlot).setFont(rt.scene.messageFonts.normal);
}

}  // namespace ml
