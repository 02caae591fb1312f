// A table of (name, value) text pairs filled by script commands: `define` names used
// in expressions and picture names, and `def_cg` picture names mapped to flag numbers.
// Entries are appended and never removed while the program runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class DefineTable {
 public:
  static constexpr std::size_t kCapacity = 1000;

  // Replaces the value of an existing name or appends a new entry. Fails once the
  // table holds kCapacity entries, even for a name it already has.
  bool add(std::string_view name, std::string_view value);
  // Linear search from the first entry; exact compares bytes, otherwise ASCII letters
  // are compared without case. Null when absent.
  const std::string* find(std::string_view name, bool exact) const;

  std::size_t count() const { return entries_.size(); }
  const std::string& name(std::size_t i) const { return entries_[i].name; }
  const std::string& value(std::size_t i) const { return entries_[i].value; }
  void clear() { entries_.clear(); }

 private:
  struct Entry {
    std::string name;
    std::string value;
  };
  std::vector<Entry> entries_;
};

}  // namespace ml
