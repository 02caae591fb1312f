// Which voiced lines the player has read, across runs. Per script (keyed by its path,
// ASCII case ignored) the store keeps the byte position of each counted voice command
// and one read flag per command; the flags persist in "SaveXXX.dat".
//
// File format, one record per entry in entry order: the name (at most 255 bytes) and a
// NUL, the flag bytes flags[0 .. count-1], then an end mark 0xFF. The file ends at its
// end or at a record whose name is empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class ReadStatusStore {
 public:
  static constexpr int kMaxEntries = 1000;
  static constexpr int kMaxOrdinals = 4096;
  static constexpr std::size_t kMaxNameLength = 255;
  static constexpr std::uint8_t kEndMark = 0xFF;

  ReadStatusStore();
  ~ReadStatusStore();
  ReadStatusStore(const ReadStatusStore&) = delete;
  ReadStatusStore& operator=(const ReadStatusStore&) = delete;

  // Sets the entry's count to 0 before a script's voice commands are registered; an
  // unknown name gets a new entry (result false).
  bool resetScript(std::string_view name);
  // positions[ordinal] = position and count + 1, while the count allows; false for an
  // unknown name or an ordinal outside the table.
  bool registerVoice(std::string_view name, int ordinal, std::int32_t position);
  // The ordinal registered at a byte position, 0 when none; an unknown name gets a new
  // entry.
  int ordinalAt(std::string_view name, std::int32_t position);
  // The byte position of an ordinal; 1 (the start of the script) when unknown.
  std::int32_t positionOf(std::string_view name, int ordinal);
  // Whether the ordinal's flag is set; with mark an unset flag becomes set (this call
  // still answers false). An unknown name gets a new entry and answers false.
  bool isRead(std::string_view name, int ordinal, bool mark);
  // Number of set flags among the counted ones of every entry.
  int countRead() const;

  // Writes every entry; with no entries nothing is written. False only when the file
  // cannot be created (or written completely).
  bool save(const std::string& hostPath) const;
  // Empties the store and reads the file; false when it cannot be opened.
  bool load(const std::string& hostPath);

  // Introspection for tests and the debug views.
  int entryCount() const { return static_cast<int>(entries_.size()); }
  int count(std::string_view name) const;
  void clear();

 private:
  struct Entry {
    std::string name;
    std::int32_t count = 0;
    std::vector<std::int32_t> positions;  // kMaxOrdinals, -1 when unused
    std::vector<std::uint8_t> flags;      // kMaxOrdinals: 1 read, 0 unread, 0xFF end mark
    explicit Entry(std::string_view n);
  };

  // The entry of a name, searching from the one found last; -1 when absent.
  int findIndex(std::string_view name) const;
  // The entry of a name, created when absent; null when the store is full.
  Entry* findOrCreate(std::string_view name, bool& existed);
  Entry* find(std::string_view name);

  std::vector<std::unique_ptr<Entry>> entries_;
  mutable int last_ = 0;
};

}  // namespace ml
