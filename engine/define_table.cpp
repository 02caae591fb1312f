#include "engine/define_table.h"

#include <new>

namespace ml {
namespace {

unsigned char lowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(static_cast<unsigned char>(a[i])) != lowerAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

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
    if (exact ? e.name == name : equalIgnoringCase(e.name, name)) return &e.value;
  }
  return nullptr;
}

}  // namespace ml
