// Which voiced lines the player has read, across runs. Per script (keyed by its path,
// ASCII case ignored) the store keeps the byte position of each counted voice command
// and one read flag per command; the flags persist in "SaveXXX.dat".
//
// File format, one record per entry in entry order: the name (at most 255 bytes) and a
// NUL, the flag bytes flags[0 .. count-1], then an end mark 0xFF. The file ends at its
// end or at a record whose name is empty.
//
// Loading tells a whole file from one that could only be read in part (cut short, a
// record too long, more records than the store keeps), so that the caller can keep the
// original instead of overwriting it; saving goes through the safe write path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
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
  // The same question without side effects: nothing is created or marked (false for a
  // script the store does not know).
  bool wasRead(std::string_view name, int ordinal) const;
  // Number of set flags among the counted ones of every entry.
  int countRead() const;

  // How a load went. Loaded and Missing leave nothing behind in the file; the others
  // mean the file holds (or may hold) more than the store could take from it.
  enum class LoadOutcome { Loaded, Missing, Unreadable, Damaged, TooManyRecords };
  struct LoadReport {
    LoadOutcome outcome = LoadOutcome::Loaded;
    std::string reason;  // English, for the player's report; empty when whole
    bool whole() const { return outcome == LoadOutcome::Loaded || outcome == LoadOutcome::Missing; }
  };
  // The largest file the store could ever have written (1000 records of a 255-byte name
  // and 4096 flags); a larger one cannot be held whole.
  static constexpr std::size_t kMaxFileBytes =
      kMaxEntries * (kMaxNameLength + 1 + kMaxOrdinals + 1) + 1;

  // The file's bytes for every entry; empty with no entries.
  std::vector<std::uint8_t> serialize() const;
  // Writes every entry through the safe write path (never in place, never through a
  // link); with no entries nothing is written. False, with *error ("PATH: reason") and
  // the old file untouched, when it cannot be written completely.
  bool save(const std::string& hostPath, std::string* error = nullptr) const;
  // Empties the store and reads the file (a regular file, not a link); false when it
  // cannot be opened. What could be read is kept either way; *report tells whether the
  // file was read whole.
  bool load(const std::string& hostPath, LoadReport* report = nullptr);
  // The same from the file's bytes.
  LoadReport loadBytes(std::span<const std::uint8_t> bytes);

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
