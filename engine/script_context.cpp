#include "engine/script_context.h"

#include <cstring>

#include "engine/runtime.h"

namespace ml {

ScriptContext::ScriptContext(Runtime& rt_) : rt(rt_), state(&rt_.story.state) {
  messageText = std::make_unique<char[]>(kMessageCapacity);
  messageText[0] = 0;
  rt.story.switches.messageWindowActive = false;
  rt.story.switches.backlogOpen = false;
  rt.story.switches.saveScreenOpen = false;
}

ScriptContext::~ScriptContext() = default;

void ScriptContext::reset() {
  text.clear();
  text.shrink_to_fit();
  size = 0;
  lineText[0] = 0;
  word[0] = 0;
  lineNumber = 1;
  pos = 1;
  lineTextLength = 0;
  newPage = true;
  pageMark = -1;
  choiceCount = 0;
  choiceIdCounter = 0;
  choiceShown = 0;
  for (auto& t : choiceTexts) t.reset();
  choiceIds.fill(0);
  prevChoicePending = false;
  quickLoadPending = false;
  quickSavePending = false;
  windowHidePending = false;
  recollectionEnded = false;
  waitingForClick = false;
  rt.story.switches.backlogOpen = false;
  rt.story.switches.saveScreenOpen = false;
  // fastForward stays: a jump to the next choice runs on into the next script.
}

void ScriptContext::scriptError(std::string_view message, std::string_view detail) {
  rt.reporter.scriptError(message, detail, currentScriptName(), lineNumber, lineText);
}

const char* ScriptContext::currentScriptName() const {
  // The field is NUL-terminated by everything that writes it; the last byte is kept 0
  // here in case a loaded save holds a damaged name.
  state->scriptName[sizeof state->scriptName - 1] = 0;
  return state->scriptName;
}

std::size_t ScriptContext::messageLength() const {
  return messageText ? strnlen(messageText.get(), kMessageCapacity) : 0;
}

std::string ScriptContext::currentPageText() const {
  std::string page = speakerName.value_or(std::string());
  if (messageText) page.append(messageText.get(), messageLength());
  return page;
}

}  // namespace ml
