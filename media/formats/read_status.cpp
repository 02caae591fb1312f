#include "media/formats/read_status.h"

#include <algorithm>
#include <new>

#include "platform/byte_reader.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/sjis.h"

namespace ml {
namespace {

// Names longer than a record can hold are known by their first 255 bytes, so that a
// saved and reloaded entry still matches.
std::string_view keyOf(std::string_view name) {
  return name.substr(0, std::min(name.size(), ReadStatusStore::kMaxNameLength));
}

bool validOrdinal(int ordinal) { return ordinal >= 0 && ordinal < ReadStatusStore::kMaxOrdinals; }

// Index of the first byte equal to value among the next limit bytes of in, or npos.
std::size_t findAhead(const ByteReader& in, std::uint8_t value, std::size_t limit) {
  const std::uint8_t* at = in.data() + in.position();
  const std::size_t n = std::min(limit, in.remaining());
  const std::uint8_t* hit = std::find(at, at + n, value);
  return hit == at + n ? std::string_view::npos : static_cast<std::size_t>(hit - at);
}

}  // namespace

ReadStatusStore::Entry::Entry(std::string_view n)
    : name(keyOf(n)), positions(kMaxOrdinals, -1), flags(kMaxOrdinals, 0) {}

ReadStatusStore::ReadStatusStore() = default;
ReadStatusStore::~ReadStatusStore() = default;

void ReadStatusStore::clear() {
  entries_.clear();
  last_ = 0;
}

int ReadStatusStore::findIndex(std::string_view name) const {
  name = keyOf(name);
  const int n = static_cast<int>(entries_.size());
  if (n == 0) return -1;
  int start = last_ < n ? last_ : 0;
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    if (sjis::equalsFolded(entries_[i]->name, name)) {
      last_ = i;
      return i;
    }
  }
  return -1;
}

ReadStatusStore::Entry* ReadStatusStore::find(std::string_view name) {
  int i = findIndex(name);
  return i < 0 ? nullptr : entries_[i].get();
}

ReadStatusStore::Entry* ReadStatusStore::findOrCreate(std::string_view name, bool& existed) {
  int i = findIndex(name);
  existed = i >= 0;
  if (existed) return entries_[i].get();
  // A full store ignores further scripts: they answer as unknown names.
  if (static_cast<int>(entries_.size()) >= kMaxEntries) return nullptr;
  try {
    entries_.push_back(std::make_unique<Entry>(name));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  last_ = static_cast<int>(entries_.size()) - 1;
  return entries_.back().get();
}

bool ReadStatusStore::resetScript(std::string_view name) {
  bool existed = false;
  Entry* e = findOrCreate(name, existed);
  if (e) e->count = 0;
  return existed;
}

bool ReadStatusStore::registerVoice(std::string_view name, int ordinal, std::int32_t position) {
  Entry* e = find(name);
  if (!e || !validOrdinal(ordinal)) return false;
  if (e->count > kMaxOrdinals - 1) return false;
  e->positions[ordinal] = position;
  e->count += 1;
  return true;
}

int ReadStatusStore::ordinalAt(std::string_view name, std::int32_t position) {
  bool existed = false;
  Entry* e = findOrCreate(name, existed);
  if (!e || !existed) return 0;
  for (int i = 0; i < kMaxOrdinals && e->positions[i] != -1; ++i)
    if (e->positions[i] == position) return i;
  return 0;
}

std::int32_t ReadStatusStore::positionOf(std::string_view name, int ordinal) {
  Entry* e = find(name);
  if (!e || !validOrdinal(ordinal) || e->positions[ordinal] == -1) return 1;
  return e->positions[ordinal];
}

bool ReadStatusStore::isRead(std::string_view name, int ordinal, bool mark) {
  bool existed = false;
  Entry* e = findOrCreate(name, existed);
  if (!e || !existed || !validOrdinal(ordinal)) return false;
  if (e->flags[ordinal] == 1) return true;
  if (mark) e->flags[ordinal] = 1;
  return false;
}

bool ReadStatusStore::wasRead(std::string_view name, int ordinal) const {
  const int i = findIndex(name);
  return i >= 0 && validOrdinal(ordinal) && entries_[static_cast<std::size_t>(i)]->flags[ordinal] == 1;
}

int ReadStatusStore::countRead() const {
  int total = 0;
  for (const auto& e : entries_) {
    int n = std::min<int>(e->count, kMaxOrdinals);
    for (int i = 0; i < n; ++i)
      if (e->flags[i] == 1) ++total;
  }
  return total;
}

int ReadStatusStore::count(std::string_view name) const {
  int i = findIndex(name);
  return i < 0 ? 0 : entries_[i]->count;
}

std::vector<std::uint8_t> ReadStatusStore::serialize() const {
  std::vector<std::uint8_t> out;
  for (const auto& e : entries_) {
    // An empty name would end the file for the reader: that entry alone cannot be
    // written, the ones after it still are.
    if (e->name.empty()) continue;
    out.insert(out.end(), e->name.begin(), e->name.end());
    out.push_back(0);
    int n = std::min<int>(e->count, kMaxOrdinals);
    // A script that grew since the file was loaded still holds the old end mark among
    // its flags; written as it is, it would end the record early and the reader would
    // lose every record after it. It stands for an unread line.
    for (int i = 0; i < n; ++i) out.push_back(e->flags[i] == kEndMark ? 0 : e->flags[i]);
    out.push_back(kEndMark);
  }
  return out;
}

bool ReadStatusStore::save(const std::string& hostPath, std::string* error) const {
  if (entries_.empty()) return true;
  std::vector<std::uint8_t> out;
  try {
    out = serialize();
  } catch (const std::bad_alloc&) {
    if (error) *error = hostPath + ": not enough memory to write it";
    return false;
  }
  return writeFileSafely(hostPath, out, error);
}

bool ReadStatusStore::load(const std::string& hostPath, LoadReport* report) {
  clear();
  LoadReport r;
  std::string error;
  bool missing = false;
  FileHandle f = FileHandle::adopt(openFileForReading(hostPath, ReadCheck::NoLink, {}, &error, &missing));
  std::vector<std::uint8_t> bytes;
  if (!f.isOpen()) {
    r.outcome = missing ? LoadOutcome::Missing : LoadOutcome::Unreadable;
    if (!missing) r.reason = error;
  } else if (f.size() > static_cast<std::int64_t>(kMaxFileBytes)) {
    // Far larger than anything the store writes: read what it can hold, say so.
    try {
      bytes.resize(kMaxFileBytes);
    } catch (const std::bad_alloc&) {
      bytes.clear();
    }
    bytes.resize(f.readAt(0, bytes.data(), bytes.size()));
    loadBytes(bytes);
    r.outcome = LoadOutcome::TooManyRecords;
    r.reason = hostPath + ": is larger (" + std::to_string(f.size()) +
               " bytes) than any read-status file the game writes";
  } else if (!f.readAll(bytes)) {
    r.outcome = LoadOutcome::Unreadable;
    r.reason = hostPath + ": cannot be read";
  } else {
    r = loadBytes(bytes);
    if (!r.whole()) r.reason = hostPath + ": " + r.reason;
  }
  if (report) *report = std::move(r);
  return f.isOpen();
}

ReadStatusStore::LoadReport ReadStatusStore::loadBytes(std::span<const std::uint8_t> bytes) {
  clear();
  LoadReport r;
  auto damaged = [&r](const char* why) {
    r.outcome = LoadOutcome::Damaged;
    r.reason = why;
    return r;
  };
  ByteReader in(bytes);
  int records = 0;
  while (in.remaining() > 0) {
    // The name, up to its NUL. A name without NUL within a record's limit means the
    // file is damaged from here on: keep what was read before it.
    const std::size_t nul = findAhead(in, 0, kMaxNameLength + 1);
    if (nul == std::string_view::npos && in.remaining() > kMaxNameLength)
      return damaged("a record's name is longer than 255 bytes");
    const std::string_view name = in.text(nul == std::string_view::npos ? in.remaining() : nul);
    if (nul != std::string_view::npos) in.skip(1);
    if (name.empty()) break;  // the empty name that ends the records
    ++records;
    bool existed = false;
    Entry* e = findOrCreate(name, existed);
    if (!e) {
      // The store is full: count what it cannot take, and say so rather than cut.
      while (in.remaining() > 0) {
        const std::size_t end = findAhead(in, kEndMark, in.remaining());
        if (end == std::string_view::npos) break;
        in.skip(end + 1);
        const std::size_t next = findAhead(in, 0, kMaxNameLength + 1);
        if (next == 0 || next == std::string_view::npos) break;
        ++records;
        in.skip(next + 1);
      }
      r.outcome = LoadOutcome::TooManyRecords;
      r.reason = "holds " + std::to_string(records) + (in.remaining() > 0 ? " or more" : "") +
                 " records, more than the " + std::to_string(kMaxEntries) + " the game keeps";
      return r;
    }
    if (existed) e->count = 0;  // a repeated record replaces the earlier one's count
    if (nul == std::string_view::npos) {  // the file ended inside the name
      e->flags[0] = kEndMark;
      return damaged("ends inside a record's name (the file was cut short)");
    }
    const std::size_t end = findAhead(in, kEndMark, kMaxOrdinals + 1);
    const std::size_t n = std::min<std::size_t>(end == std::string_view::npos ? in.remaining() : end,
                                                kMaxOrdinals);
    std::span<const std::uint8_t> flags = in.bytes(n);
    std::copy(flags.begin(), flags.end(), e->flags.begin());
    e->count = static_cast<std::int32_t>(n);
    if (end == std::string_view::npos && in.remaining() > 0)  // more flags than a script can have
      return damaged("a record holds more than 4096 read marks");
    if (n < static_cast<std::size_t>(kMaxOrdinals)) e->flags[n] = kEndMark;
    if (end == std::string_view::npos) {  // the file ended inside the flags
      if (n < static_cast<std::size_t>(kMaxOrdinals)) e->positions[n] = -1;
      return damaged("ends inside a record's read marks (the file was cut short)");
    }
    in.skip(1);
  }
  return r;
}

}  // namespace ml
