#include "scene/extras.h"

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/extras_screens.h"
#include "scene/screen_parts.h"

namespace ml {

bool runExtras(Runtime& rt, ScriptContext& sc, const ExtrasTables& tables) {
  // The game's own slots stay hidden while the extras are open.
  HiddenGameSlots game;
  game.hide(rt, 0, 130);
  int screen = kToGallery;
  int galleryPage = 0, scenePage = 0;
  while (!rt.requests().quitRequested) {
    int code = 0;
    switch (screen) {
      case kToRecollection: code = runRecollectionGallery(sc, tables, scenePage); break;
      case kToMusicRoom: code = runMusicRoom(sc, tables); break;
      default: code = runPictureGallery(sc, tables, galleryPage); break;
    }
    if (code == kToTitle) break;
    if (code == kToGallery || code == kToRecollection || code == kToMusicRoom) {
      // Every screen starts on its first page when it is entered from another.
      if (code != screen) galleryPage = scenePage = 0;
      screen = code;
    }
  }
  const bool quitting = rt.requests().quitRequested;
  if (!quitting) fadeScreenOut(sc);
  clearSlots(rt, 130, kCountSlot + ExtrasTables::kEntriesPerPage - 1);
  game.restore(rt);
  return !quitting;
}

}  // namespace ml
