#include "media/sound/midi_file.h"

#include <cstring>

namespace ml {

namespace {

struct Cursor {
  const std::uint8_t* p;
  std::size_t left;
  bool take(std::size_t n) {
    if (n > left) return false;
    p += n;
    left -= n;
    return true;
  }
  bool byte(std::uint8_t& b) {
    if (left == 0) return false;
    b = *p++;
    --left;
    return true;
  }
  // A variable-length number: at most four bytes of seven bits.
  bool varLength(std::uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b;
      if (!byte(b)) return false;
      v = (v << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
};

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

bool fail(std::string* why, std::string text) {
  if (why != nullptr) *why = std::move(text);
  return false;
}

bool checkTrack(Cursor c, int index, MidiFileInfo& info, std::string* why) {
  const std::string where = "トラック " + std::to_string(index + 1);
  std::uint8_t running = 0;
  bool ended = false;
  while (c.left > 0) {
    if (ended) return fail(why, where + " の終わりの後にイベントがあります");
    std::uint32_t delta;
    if (!c.varLength(delta)) return fail(why, where + " がイベントの時間の途中で切れています");
    std::uint8_t status;
    if (!c.byte(status)) return fail(why, where + " がイベントの時間の後で切れています");
    ++info.events;
    if (status == 0xFF) {
      std::uint8_t type;
      std::uint32_t length;
      if (!c.byte(type) || !c.varLength(length) || !c.take(length))
        return fail(why, where + " のメタイベントがトラックより長くなっています");
      if (type == 0x2F) ended = true;
      running = 0;
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length;
      if (!c.varLength(length) || !c.take(length))
        return fail(why, where + " のシステムエクスクルーシブがトラックより長くなっています");
      running = 0;
      continue;
    }
    if (status > 0xF0) return fail(why, where + " にファイルに置けないシステムメッセージがあります");
    std::uint8_t first;
    if (status < 0x80) {
      // Running status: the byte read was the first data byte.
      if (running == 0) return fail(why, where + " にステータスのないデータバイトがあります");
      first = status;
      status = running;
    } else {
      running = status;
      if (!c.byte(first)) return fail(why, where + " がメッセージの途中で切れています");
    }
    const int kind = status >> 4;
    const bool twoBytes = kind != 0xC && kind != 0xD;
    std::uint8_t second = 0;
    if (twoBytes && !c.byte(second)) return fail(why, where + " がメッセージの途中で切れています");
    if ((first | second) & 0x80) return fail(why, where + " に 127 を超えるデータバイトがあります");
    if (kind == 0x9 && second > 0) ++info.notes;
  }
  return true;
}

}  // namespace

bool checkMidiFile(const std::uint8_t* data, std::size_t size, MidiFileInfo* infoOut, std::string* why) {
  MidiFileInfo info;
  if (data == nullptr || size < 14 || std::memcmp(data, "MThd", 4) != 0)
    return fail(why, "MIDI ファイルではありません (MThd がありません)");
  const std::uint32_t headerLength = be32(data + 4);
  if (headerLength < 6 || headerLength > size - 8) return fail(why, "MIDI ヘッダの長さが不正です");
  info.format = be16(data + 8);
  const int declared = be16(data + 10);
  info.division = be16(data + 12);
  if (info.format > 2) return fail(why, "未知の MIDI フォーマット " + std::to_string(info.format) + " です");
  if (declared == 0) return fail(why, "トラックがありません");
  if (info.format == 0 && declared != 1) return fail(why, "フォーマット 0 のトラック数が 1 ではありません");
  if (info.division == 0) return fail(why, "時間分解能が 0 です");
  Cursor c{data + 8 + headerLength, size - 8 - headerLength};
  while (info.tracks < declared) {
    if (c.left < 8) return fail(why, "トラック " + std::to_string(info.tracks + 1) + " の前でファイルが終わっています");
    const std::uint8_t* id = c.p;
    const std::uint32_t length = be32(c.p + 4);
    c.take(8);
    if (length > c.left)
      return fail(why, "トラック " + std::to_string(info.tracks + 1) + " がファイルより長くなっています");
    // Chunks of other kinds are passed over, as the format allows.
    if (std::memcmp(id, "MTrk", 4) == 0) {
      if (!checkTrack(Cursor{c.p, length}, info.tracks, info, why)) return false;
      ++info.tracks;
    }
    c.take(length);
  }
  if (infoOut != nullptr) *infoOut = info;
  return true;
}

}  // namespace ml
