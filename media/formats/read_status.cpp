#include "media/formats/read_status.h"

#include <algorithm>
#include <new>

#include "platform/posix/file_handle.h"

namespace ml {
namespace {

unsigned char lowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(static_cast<unsigned char>(a[i])) != lowerAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Names longer than a record can hold are known by their first 255 bytes, so that a
// saved and reloaded entry still matches.
std::string_view keyOf(std::string_view name) {
  return name.substr(0, std::min(name.size(), ReadStatusStore::kMaxNameLength));
}

bool validOrdinal(int ordinal) { return ordinal >= 0 && ordinal < ReadStatusStore::kMaxOrdinals; }

// Reads the next byte of the file; false at its end.
class ByteReader {
 public:
  explicit ByteReader(FileHandle& f) : file_(f) {}
  bool next(std::uint8_t& b) {
    if (at_ == filled_) {
      filled_ = file_.read(buffer_, sizeof buffer_);
      at_ = 0;
      if (filled_ == 0) return false;
    }
    b = buffer_[at_++];
    return true;
  }

 private:
  FileHandle& file_;
  std::uint8_t buffer_[4096];
  std::size_t at_ = 0, filled_ = 0;
};

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
    if (sameName(entries_[i]->name, name)) {
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

bool ReadStatusStore::save(const std::string& hostPath) const {
  if (entries_.empty()) return true;
  std::vector<std::uint8_t> out;
  for (const auto& e : entries_) {
    if (e->name.empty()) break;  // an empty name would end the file for the reader
    out.insert(out.end(), e->name.begin(), e->name.end());
    out.push_back(0);
    int n = std::min<int>(e->count, kMaxOrdinals);
    // A script that grew since the file was loaded still holds the old end mark among
    // its flags; written as it is, it would end the record early and the reader would
    // lose every record after it. It stands for an unread line.
    for (int i = 0; i < n; ++i) out.push_back(e->flags[i] == kEndMark ? 0 : e->flags[i]);
    out.push_back(kEndMark);
  }
  FileHandle f;
  if (!f.open(hostPath, FileHandle::Mode::Write)) return false;
  return f.write(out.data(), out.size()) == out.size();
}

bool ReadStatusStore::load(const std::string& hostPath) {
  clear();
  FileHandle f;
  if (!f.open(hostPath, FileHandle::Mode::Read)) return false;
  ByteReader in(f);
  while (static_cast<int>(entries_.size()) < kMaxEntries) {
    // The name, up to its NUL. A name without NUL within a record's limit means the file
    // is damaged from here on: keep what was read before it.
    std::string name;
    std::uint8_t b = 0;
    bool terminated = false;
    while (name.size() <= kMaxNameLength) {
      if (!in.next(b)) break;
      if (b == 0) {
        terminated = true;
        break;
      }
      name.push_back(static_cast<char>(b));
    }
    if (name.empty()) break;  // end of file, or the empty name that ends the records
    if (!terminated && name.size() > kMaxNameLength) break;
    bool existed = false;
    Entry* e = findOrCreate(name, existed);
    if (!e) break;
    if (existed) e->count = 0;  // a repeated record replaces the earlier one's count
    if (!terminated) {          // the file ended inside the name
      e->flags[0] = kEndMark;
      break;
    }
    int i = 0;
    bool damaged = false;
    for (;;) {
      if (!in.next(b)) {
        if (i < kMaxOrdinals) {
          e->flags[i] = kEndMark;
          e->positions[i] = -1;
        }
        e->count = i;
        return true;
      }
      if (b == kEndMark) {
        if (i < kMaxOrdinals) e->flags[i] = kEndMark;
        break;
      }
      if (i >= kMaxOrdinals) {  // more flags than a script can have: not our file
        damaged = true;
        break;
      }
      e->flags[i++] = b;
    }
    e->count = i;
    if (damaged) break;
  }
  return true;
}

}  // namespace ml
