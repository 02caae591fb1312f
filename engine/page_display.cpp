// First form of the page end: nothing is drawn and nobody is waited for; the page is
// closed so that the next text line starts a new one.
#include "engine/page_display.h"

#include "engine/runtime.h"
#include "engine/script_context.h"

namespace ml {

bool showPage(ScriptContext& sc, bool skippable) { return true; }

bool waitPage(ScriptContext& sc, bool skippable) {
  if (!showPage(sc, skippable)) return false;
  sc.newPage = true;
  sc.pageMark = -1;
  sc.rt.clearLayer(33);  // the message text
  return true;
}

}  // namespace ml
