#include "tools/common/midi_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/byte_reader.h"

namespace ml::tools {
namespace {

struct Parsed {
  int format = -1, tracks = -1, division = -1;
  std::uint32_t tempo = 0;
  std::vector<std::tuple<std::uint32_t, int, int>> events;  // absolute tick, status, key
  bool ended = false;
};

// A small reader of what the writer makes: one track, running status not used.
Parsed parse(const std::vector<std::uint8_t>& b) {
  Parsed p;
  if (b.size() < 22 || std::memcmp(b.data(), "MThd", 4) != 0) return p;
  p.format = b[9];
  p.tracks = b[11];
  p.division = be16(b.data() + 12);
  EXPECT_EQ(std::memcmp(b.data() + 14, "MTrk", 4), 0);
  std::uint32_t len = be32(b.data() + 18);
  EXPECT_EQ(len, b.size() - 22);
  std::size_t i = 22;
  std::uint32_t tick = 0;
  while (i < b.size()) {
    std::uint32_t delta = 0;
    while (b[i] & 0x80) delta = (delta << 7) | (b[i++] & 0x7F);
    delta = (delta << 7) | b[i++];
    tick += delta;
    int status = b[i++];
    if (status == 0xFF) {
      int type = b[i++], n = b[i++];
      if (type == 0x51) p.tempo = (b[i] << 16) | (b[i + 1] << 8) | b[i + 2];
      if (type == 0x2F) p.ended = true;
      i += n;
    } else if ((status & 0xF0) == 0xC0) {
      p.events.emplace_back(tick, status, b[i++]);
    } else {
      p.events.emplace_back(tick, status, b[i]);
      i += 2;
    }
  }
  return p;
}

TEST(MidiWriterTest, OneTrackInTimeOrder) {
  MidiSong song;
  song.bpm = 100;
  song.programs = {{1, 48}};
  song.notes = {{1.0, 1.0, 64, 90, 0}, {0.0, 1.0, 60, 100, 0}, {300.0, 0.5, 200, 0, 20}};
  Parsed p = parse(writeMidi(song));
  EXPECT_EQ(p.format, 0);
  EXPECT_EQ(p.tracks, 1);
  EXPECT_EQ(p.division, 480);
  EXPECT_EQ(p.tempo, 600000u);
  EXPECT_TRUE(p.ended);
  ASSERT_EQ(p.events.size(), 7u);
  EXPECT_EQ(p.events[0], std::make_tuple(0u, 0xC1, 48));
  EXPECT_EQ(p.events[1], std::make_tuple(0u, 0x90, 60));
  // At beat 1 the first note ends before the second starts.
  EXPECT_EQ(p.events[2], std::make_tuple(480u, 0x80, 60));
  EXPECT_EQ(p.events[3], std::make_tuple(480u, 0x90, 64));
  EXPECT_EQ(p.events[4], std::make_tuple(960u, 0x80, 64));
  // A long delta needs a multi-byte length; out-of-range values are clamped.
  EXPECT_EQ(p.events[5], std::make_tuple(144000u, 0x9F, 127));
  EXPECT_EQ(p.events[6], std::make_tuple(144240u, 0x8F, 127));
}

}  // namespace
}  // namespace ml::tools
