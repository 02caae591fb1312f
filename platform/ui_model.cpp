#include "platform/ui_model.h"

#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

MenuItem* MenuItem::find(std::string_view itemName) {
  if (name == itemName) return this;
  for (MenuItem& child : items)
    if (MenuItem* hit = child.find(itemName)) return hit;
  return nullptr;
}

const MenuItem* MenuItem::find(std::string_view itemName) const {
  return const_cast<MenuItem*>(this)->find(itemName);
}

std::string menuDisplayText(std::string_view caption) {
  std::string out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    // A trail byte of a double-byte character may equal '&'; copy the pair whole.
    if (sjis::charLength(caption, i) == 2) {
      out += caption[i];
      out += caption[++i];
      continue;
    }
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

DebugFormData scriptErrorForm(std::string_view message, std::string_view detail,
                              std::string_view fileName, int lineNumber,
                              std::string_view lineText) {
  DebugFormData form;
  form.lineText = std::string(fileName) + " (" + std::to_string(lineNumber) + ")";
  form.memo.push_back(SJ("スクリプトエラー"));
  form.memo.push_back(std::string(message) + " " + std::string(detail));
  form.memo.push_back(std::string(lineText));
  return form;
}

}  // namespace ml
