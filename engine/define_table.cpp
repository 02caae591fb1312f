#include "engine/define_table.h"

#include <new>

#include "platform/sjis.h"

namespace ml {

bool DefineTable::add(std::string_view name, std::string_view value) {
  if (entries_.size() >= kCapacity) return false;
  try {
    for (Entry& e : entries_) {
      if (e.name == name) {
        e.value.assign(value);
        return true;
      }
    }
    entries_.push_back(Entry{std::string(name), std::string(value)});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

const std::string* DefineTable::find(std::string_view name, bool exact) const {
  for (const Entry& e : entries_) {
    if (exact ? e.name == name : sjis::equalsFolded(e.name, name)) return &e.value;
  }
  return nullptr;
}

}  // namespace ml
