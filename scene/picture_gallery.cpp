// The picture gallery and the recollection gallery: a page of thumbnails cut from the
// page's sheet, page buttons, the screen buttons and the completion percentage; the
// picture gallery's full-screen view of an entry's seen pictures.
#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/extras.h"
#include "scene/extras_screens.h"
#include "scene/screen_parts.h"

namespace ml {

GalleryCount countSeen(const GalleryEntry& entry, const std::uint8_t* flags) {
  GalleryCount c;
  for (const GalleryPicture& p : entry.pictures) {
    ++c.total;
    if (flags[p.flag] != 0) ++c.seen;
  }
  return c;
}

int galleryPercent(const ExtrasTables& tables, const std::uint8_t* flags) {
  int seen = 0, total = 0;
  for (const auto& page : tables.gallery)
    for (const GalleryEntry& e : page) {
      const GalleryCount c = countSeen(e, flags);
      seen += c.seen;
      total += c.total;
    }
  return total == 0 ? 0 : seen * 100 / total;
}

int recollectionPercent(const ExtrasTables& tables, const std::uint8_t* flags) {
  int unlocked = 0, total = 0;
  for (const auto& page : tables.recollection)
    for (const RecollectionEntry& e : page) {
      ++total;
      if (flags[e.flag] != 0) ++unlocked;
    }
  return total == 0 ? 0 : unlocked * 100 / total;
}

void percentDigits(int percent, int digits[3]) {
  percent = std::clamp(percent, 0, 999);
  digits[0] = percent >= 100 ? percent / 100 : -1;
  digits[1] = percent >= 10 ? percent / 10 % 10 : -1;
  digits[2] = percent % 10;
}

namespace {

constexpr int kHoverNone = -1;
constexpr int kHoverPage = 10;
constexpr int kHoverEntry = 20;

int thumbX(int i) { return (i % 5) * 144 + 59; }
int thumbY(int i) { return (i / 5) * 103 + 149; }

struct ScreenButton {
  int slot;
  const char* picture;
  int code;
};

// What one gallery screen draws: its background, sheets, buttons and pages.
struct GalleryLook {
  const char* background;
  const char* sheetPattern;  // "cg\\_OmCg%d.psd"
  ScreenButton buttons[2];
  int pageCount;
};

constexpr GalleryLook kPictureLook{"cg\\_OmCgBack.bmp", "cg\\_OmCg%d.psd",
                                   {{kBtKsSlot, "cg\\_OmBtKs.psd", kToRecollection},
                                    {kBtMuSlot, "cg\\_OmBtMu.psd", kToMusicRoom}},
                                   ExtrasTables::kGalleryPages};
constexpr GalleryLook kSceneLook{"cg\\_OmKsBack.bmp", "cg\\_OmKs%d.psd",
                                 {{kBtCgSlot, "cg\\_OmBtCg.psd", kToGallery},
                                  {kBtMuSlot, "cg\\_OmBtMu.psd", kToMusicRoom}},
                                 ExtrasTables::kRecollectionPages};

void drawScreenButtons(Runtime& rt, const ScreenButton (&buttons)[2]) {
  for (const ScreenButton& b : buttons) loadButton(rt, b.slot, b.picture, 549, 31, kStateNormal);
  loadButton(rt, kBtRetSlot, "cg\\_OmBtRet.psd", 706, 565, kStateNormal);
}

void drawPercent(Runtime& rt, int percent) {
  int digits[3];
  percentDigits(percent, digits);
  const int xs[3] = {383, 402, 421};
  for (int k = 0; k < 3; ++k) {
    if (digits[k] < 0) {
      rt.scene.layers.clear(kDigitSlot + k);
      continue;
    }
    loadButton(rt, kDigitSlot + k, "cg\\_OmNo.psd", xs[k], 571, digits[k]);
  }
}

// Page buttons for the pages that hold entries (the first always), the current one
// selected.
void drawPageButtons(Runtime& rt, const GalleryLook& look, int page, const std::function<bool(int)>& hasEntries) {
  for (int p = 0; p < look.pageCount; ++p) {
    rt.scene.layers.clear(kPageButtonSlot + p);
    if (p != 0 && !hasEntries(p)) continue;
    char name[48];
    std::snprintf(name, sizeof name, "cg\\_OmCgBtP%d.psd", p + 1);
    loadButton(rt, kPageButtonSlot + p, name, 64, 105, p == page ? kStateSelected : kStateNormal);
  }
}

// Cuts the three states of entry i out of the page's sheet into its slot.
void cutThumbnail(Runtime& rt, int i, int state) {
  Sprite& sheet = layer(rt, kSheetSlot);
  Sprite& thumb = layer(rt, kThumbnailSlot + i);
  const Surface* source = sheet.surface();
  if (source == nullptr || !thumb.makeBox(120, 90, 3)) {
    rt.scene.layers.clear(kThumbnailSlot + i);
    return;
  }
  const int layers = std::max(1, sheet.frameCount());
  for (int k = 0; k < 3; ++k) thumb.copyFrom(*source, thumbX(i), thumbY(i), std::min(k, layers - 1), k, 120, 90);
  thumb.setPosition(thumbX(i), thumbY(i));
  thumb.setAnimating(false);
  thumb.setFrame(state);
}

void clearGallerySlots(Runtime& rt) {
  clearSlots(rt, kExtrasBackSlot, kCountSlot + ExtrasTables::kEntriesPerPage - 1);
}

// The loop both galleries share: hover, highlight, page buttons and screen buttons.
// `entryState` tells an entry's resting state (0 locked, 1 available); `open` acts
// on a chosen entry and answers false when the program is closing.
struct GalleryScreen {
  ScriptContext& sc;
  const GalleryLook& look;
  int& page;
  std::function<void()> drawPage;               // thumbnails, counts, percentage
  std::function<int(int)> entryState;           // of entry i on the current page; -1 none
  std::function<bool(int)> hasEntries;          // page p holds entries
  std::function<int(int)> open;                 // entry i chosen: 0 go on, else leave with the code

  void draw() {
    Runtime& rt = sc.rt;
    clearGallerySlots(rt);
    Sprite& back = layer(rt, kExtrasBackSlot);
    if (back.loadPicture(look.background, rt.platform.ticks())) back.setPosition(0, 0);
    drawScreenButtons(rt, look.buttons);
    drawPageButtons(rt, look, page, hasEntries);
    char sheetName[48];
    std::snprintf(sheetName, sizeof sheetName, look.sheetPattern, page + 1);
    Sprite& sheet = layer(rt, kSheetSlot);
    sheet.loadPicture(sheetName, rt.platform.ticks());
    sheet.setVisible(false);
    drawPage();
    rt.scene.layers.clear(kSheetSlot);
  }

  int hovered(int x, int y) {
    Runtime& rt = sc.rt;
    for (int slot : {kBtCgSlot, kBtKsSlot, kBtMuSlot, kBtRetSlot})
      if (buttonFrame(rt, slot) != kStateSelected && onSlot(rt, slot, x, y)) return slot - kExtrasBackSlot;
    for (int p = 0; p < look.pageCount; ++p)
      if (onSlot(rt, kPageButtonSlot + p, x, y)) return kHoverPage + p;
    for (int i = 0; i < ExtrasTables::kEntriesPerPage; ++i)
      if (entryState(i) > 0 && onSlot(rt, kThumbnailSlot + i, x, y)) return kHoverEntry + i;
    return kHoverNone;
  }

  void highlight(int hover) {
    Runtime& rt = sc.rt;
    for (int slot : {kBtCgSlot, kBtKsSlot, kBtMuSlot, kBtRetSlot}) {
      if (layer(rt, slot).empty() || buttonFrame(rt, slot) == kStateSelected) continue;
      setButtonFrame(rt, slot, hover == slot - kExtrasBackSlot ? kStateHover : kStateNormal);
    }
    for (int p = 0; p < look.pageCount; ++p) {
      if (p == page || layer(rt, kPageButtonSlot + p).empty()) continue;
      setButtonFrame(rt, kPageButtonSlot + p, hover == kHoverPage + p ? kStateHover : kStateNormal);
    }
    for (int i = 0; i < ExtrasTables::kEntriesPerPage; ++i) {
      const int state = entryState(i);
      if (state <= 0) continue;
      setButtonFrame(rt, kThumbnailSlot + i, hover == kHoverEntry + i ? kStateSelected : kStateHover);
    }
  }

  int run() {
    Runtime& rt = sc.rt;
    if (!fadeScreenOut(sc)) return 0;
    draw();
    if (!fadeScreenIn(sc)) return 0;
    rt.story.input.consumePresses();
    PointerWatch pointer;
    int hover = kHoverNone;
    while (!rt.requests().quitRequested) {
      if (extrasScreenEnds(sc)) return 0;
      bool changed = false;
      if (pointer.moved(sc)) {
        const int now = hovered(sc.mouseX, sc.mouseY);
        if (now != hover) {
          hover = now;
          highlight(hover);
          changed = true;
        }
      }
      InputState& in = rt.story.input;
      if (in.isPressed(InputCancel)) {
        in.consumePresses();
        return kToTitle;
      }
      if (in.isPressed(InputDecide)) {
        in.consumePresses();
        if (hover >= 1 && hover <= 5) return hover;
        if (hover >= kHoverPage && hover < kHoverEntry) {
          page = hover - kHoverPage;
          if (!fadeScreenOut(sc)) return 0;
          draw();
          if (!fadeScreenIn(sc)) return 0;
          hover = kHoverNone;
          pointer = {};
          continue;
        }
        if (hover >= kHoverEntry) {
          const int code = open(hover - kHoverEntry);
          if (code != 0 || rt.requests().quitRequested) return code;
          hover = kHoverNone;
          pointer = {};
          continue;
        }
      }
      finishPass(sc, changed);
    }
    return 0;
  }
};

// --- the picture view ---------------------------------------------------------------

void placeArrows(Runtime& rt) {
  static constexpr const char* kArrows[4] = {"cg\\_OmArrowU.psd", "cg\\_OmArrowD.psd", "cg\\_OmArrowL.psd",
                                             "cg\\_OmArrowR.psd"};
  static constexpr int kAt[4][2] = {{380, 8}, {380, 552}, {8, 280}, {752, 280}};
  for (int d = 0; d < 4; ++d) {
    if (loadButton(rt, kArrowSlot + d, kArrows[d], kAt[d][0], kAt[d][1], 0)) layer(rt, kArrowSlot + d).setVisible(false);
  }
}

// Scrolls a picture larger than the screen by the pointer's place; true when it moved
// or an arrow changed.
bool scrollView(Runtime& rt, int mx, int my) {
  Sprite& pic = layer(rt, kBackgroundSlot);
  if (pic.empty()) return false;
  const int w = pic.width(), h = pic.height();
  int x = pic.x(), y = pic.y();
  const int x0 = x, y0 = y;
  if (h > 600 && mx >= 0) {
    if (my > 500) y = std::max(600 - h, y - 8);
    else if (my < 100 && my >= 0) y = std::min(0, y + 8);
  }
  if (w > 800 && my >= 0) {
    if (mx > 700) x = std::max(800 - w, x - 8);
    else if (mx < 100 && mx >= 0) x = std::min(0, x + 8);
  }
  if (x != x0 || y != y0) pic.setPosition(x, y);
  // More picture above, below, to the left, to the right.
  const bool more[4] = {y < 0, y + h > 600, x < 0, x + w > 800};
  bool changed = x != x0 || y != y0;
  for (int d = 0; d < 4; ++d) {
    Sprite& a = layer(rt, kArrowSlot + d);
    if (a.empty() || a.visible() == more[d]) continue;
    a.setVisible(more[d]);
    changed = true;
  }
  return changed;
}

bool showViewPicture(Runtime& rt, const GalleryPicture& p) {
  Sprite& pic = layer(rt, kBackgroundSlot);
  // A missing picture leaves the slot empty; the view goes on.
  if (pic.loadPicture("cg\\" + p.name + ".bmp", rt.platform.ticks())) pic.setPosition(0, 0);
  else rt.scene.layers.clear(kBackgroundSlot);
  return true;
}

// The full-screen view of an entry's seen pictures. False when the program is closing.
bool viewEntry(ScriptContext& sc, const GalleryEntry& entry) {
  Runtime& rt = sc.rt;
  const std::uint8_t* flags = sc.state->flags;
  std::vector<const GalleryPicture*> seen;
  for (const GalleryPicture& p : entry.pictures)
    if (flags[p.flag] != 0) seen.push_back(&p);
  if (seen.empty()) return true;
  if (!fadeScreenOut(sc)) return false;
  HiddenGameSlots screen;
  // Everything of the gallery, its counts included, makes way for the picture.
  screen.hide(rt, kExtrasBackSlot, kCountSlot + ExtrasTables::kEntriesPerPage);
  placeArrows(rt);
  std::size_t at = 0;
  showViewPicture(rt, *seen[at]);
  scrollView(rt, -1, -1);
  if (!fadeScreenIn(sc)) return false;
  rt.story.input.consumePresses();
  bool closing = false;
  for (;;) {
    if (pollWithMenus(sc, false, true)) {
      closing = rt.requests().quitRequested;
      break;
    }
    InputState& in = rt.story.input;
    bool changed = scrollView(rt, sc.mouseX, sc.mouseY);
    if (in.isPressed(InputCancel)) {
      in.consumePresses();
      break;
    }
    if (in.isPressed(InputDecide)) {
      in.consumePresses();
      if (++at >= seen.size()) break;
      showViewPicture(rt, *seen[at]);
      scrollView(rt, -1, -1);
      changed = true;
    }
    finishPass(sc, changed);
  }
  if (closing) return false;
  if (!fadeScreenOut(sc)) return false;
  rt.scene.layers.clear(kBackgroundSlot);
  clearSlots(rt, kArrowSlot, kArrowSlot + 3);
  screen.restore(rt);
  return fadeScreenIn(sc);
}

}  // namespace

int runPictureGallery(ScriptContext& sc, const ExtrasTables& tables, int& page) {
  Runtime& rt = sc.rt;
  page = std::clamp(page, 0, ExtrasTables::kGalleryPages - 1);
  GalleryScreen screen{sc, kPictureLook, page, {}, {}, {}, {}};
  auto entries = [&]() -> const std::vector<GalleryEntry>& { return tables.gallery[static_cast<std::size_t>(page)]; };
  screen.entryState = [&](int i) {
    if (i < 0 || i >= static_cast<int>(entries().size())) return -1;
    return countSeen(entries()[static_cast<std::size_t>(i)], sc.state->flags).seen > 0 ? 1 : 0;
  };
  screen.hasEntries = [&](int p) { return !tables.gallery[static_cast<std::size_t>(p)].empty(); };
  screen.drawPage = [&] {
    for (int i = 0; i < static_cast<int>(entries().size()); ++i) {
      const GalleryCount c = countSeen(entries()[static_cast<std::size_t>(i)], sc.state->flags);
      cutThumbnail(rt, i, c.seen > 0 ? 1 : 0);
      if (c.seen > 0 && c.seen < c.total) {
        char text[32];
        std::snprintf(text, sizeof text, "%d/%d", c.seen, c.total);
        drawLabel(rt, kCountSlot + i, text, thumbX(i), thumbY(i) + 40);
      }
    }
    drawPercent(rt, galleryPercent(tables, sc.state->flags));
  };
  screen.open = [&](int i) {
    if (i < 0 || i >= static_cast<int>(entries().size())) return 0;
    viewEntry(sc, entries()[static_cast<std::size_t>(i)]);
    return 0;
  };
  return screen.run();
}

int runRecollectionGallery(ScriptContext& sc, const ExtrasTables& tables, int& page) {
  Runtime& rt = sc.rt;
  page = std::clamp(page, 0, ExtrasTables::kRecollectionPages - 1);
  GalleryScreen screen{sc, kSceneLook, page, {}, {}, {}, {}};
  auto entries = [&]() -> const std::vector<RecollectionEntry>& {
    return tables.recollection[static_cast<std::size_t>(page)];
  };
  screen.entryState = [&](int i) {
    if (i < 0 || i >= static_cast<int>(entries().size())) return -1;
    return sc.state->flags[entries()[static_cast<std::size_t>(i)].flag] != 0 ? 1 : 0;
  };
  screen.hasEntries = [&](int p) { return !tables.recollection[static_cast<std::size_t>(p)].empty(); };
  screen.drawPage = [&] {
    applyDerivedFlags(tables.derivedFlags, sc.state->flags);
    for (int i = 0; i < static_cast<int>(entries().size()); ++i) cutThumbnail(rt, i, screen.entryState(i));
    drawPercent(rt, recollectionPercent(tables, sc.state->flags));
  };
  screen.open = [&](int i) {
    if (screen.entryState(i) <= 0) return 0;
    const RecollectionEntry& e = entries()[static_cast<std::size_t>(i)];
    // The scene uses the choice slots above the ones it resets itself: nothing of the
    // gallery may stay over it.
    clearGallerySlots(rt);
    playRecollection(rt, sc, e.script, e.startValue);
    if (rt.requests().quitRequested) return 0;
    // A return to the title during the scene ends the screen as the menu asks.
    if (rt.requests().titleRequested) return 0;
    screen.draw();
    fadeScreenIn(sc);
    return 0;
  };
  return screen.run();
}

}  // namespace ml
