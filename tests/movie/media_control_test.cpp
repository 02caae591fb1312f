// The command strings the media control takes, in order and out of order, and the
// error numbers it answers; and the MIDI file check that stands before the synthesiser.
#include "tests/movie/movie_fixture.h"

#include "media/sound/midi_file.h"

namespace ml::test {
namespace {

struct Step {
  const char* command;
  std::uint32_t code;
};

struct Sequence {
  const char* name;
  std::vector<Step> steps;
};

class CommandStrings : public MovieTest, public ::testing::WithParamInterface<Sequence> {};

TEST_P(CommandStrings, AnswerAsExpected) {
  ASSERT_TRUE(encodeTestMovie(path("m.mpg"), {{200, 200, 200}}, true));
  writeText("text.mpg", "no movie here");
  writeFile("a.mid", testMidi());
  if (std::string(GetParam().name).rfind("midi", 0) == 0 && !haveSoundFont())
    GTEST_SKIP() << "no General MIDI soundfont installed";
  for (const Step& s : GetParam().steps) {
    std::string returned = "untouched";
    const std::uint32_t code = mci().send(s.command, &returned);
    EXPECT_EQ(code, s.code) << s.command;
    // A failure leaves its text in the return buffer; a success leaves it empty.
    if (code == 0) {
      EXPECT_TRUE(returned.empty()) << s.command;
    } else {
      EXPECT_EQ(returned, mci().errorText(code)) << s.command;
      EXPECT_FALSE(returned.empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandStrings,
    ::testing::Values(
        Sequence{"movie_in_order",
                 {{"open m.mpg type MPEGVideo", 0}, {"window m.mpg handle 1", 0}, {"play m.mpg notify", 0},
                  {"put m.mpg destination at 0 0 800 600", 0}, {"close m.mpg", 0}}},
        Sequence{"play_before_open", {{"play m.mpg notify", kMciInvalidDeviceName}, {"put m.mpg destination at 0 0 8 6", kMciInvalidDeviceName}}},
        Sequence{"close_twice", {{"open m.mpg type MPEGVideo", 0}, {"close m.mpg", 0}, {"close m.mpg", kMciInvalidDeviceName}}},
        Sequence{"open_twice", {{"open m.mpg type MPEGVideo", 0}, {"open M.MPG type MPEGVideo", kMciDeviceOpen}, {"close M.mpg", 0}}},
        Sequence{"unknown_and_empty", {{"stop m.mpg", kMciUnrecognizedCommand}, {"", kMciUnrecognizedCommand}, {"open", kMciMissingDeviceName}}},
        Sequence{"bad_words",
                 {{"open m.mpg type MPEGVideo", 0}, {"window m.mpg handle 7", kMciBadInteger}, {"window m.mpg hwnd 1", kMciUnrecognizedKeyword},
                  {"window m.mpg", kMciMissingParameter}, {"play m.mpg now", kMciUnrecognizedKeyword},
                  {"put m.mpg destination at 0 0 800 x", kMciBadInteger}, {"put m.mpg destination at 0 0 0 600", kMciBadInteger},
                  {"put m.mpg source at 0 0 800 600", kMciUnrecognizedKeyword}, {"close m.mpg", 0}}},
        Sequence{"unknown_type", {{"open m.mpg type cdaudio", kMciInvalidDeviceName}}},
        Sequence{"missing_and_not_movies",
                 {{"open gone.mpg type MPEGVideo", kMciFileNotFound}, {"open text.mpg type MPEGVideo", kMciInvalidFile},
                  {"open ../m.mpg type MPEGVideo", kMciFileNotFound}}},
        Sequence{"midi",
                 {{"open a.mid", 0}, {"play a.mid", 0}, {"window a.mid handle 1", kMciUnsupportedFunction},
                  {"put a.mid destination at 0 0 8 6", kMciUnsupportedFunction}, {"open a.mid", 0}, {"play a.mid", 0}}},
        Sequence{"midi_file_as_movie", {{"open a.mid type MPEGVideo", kMciInvalidFile}}}),
    [](const auto& info) { return std::string(info.param.name); });

// "put" sets where the picture goes: fitted inside the destination with its shape
// kept, black around and outside.
TEST_F(MovieTest, PictureFillsItsDestinationKeepingItsShape) {
  ASSERT_TRUE(encodeTestMovie(path("m.mpg"), {{230, 20, 20}}, false));
  for (const char* c : {"open m.mpg type MPEGVideo", "window m.mpg handle 1", "play m.mpg",
                        "put m.mpg destination at 0 0 400 600"})
    ASSERT_EQ(mci().send(c), 0u) << c;
  for (int i = 0; i < 20; ++i) {
    platform.advance(20);
    mci().service();
  }
  const auto& f = platform.lastFrame();
  ASSERT_EQ(f.size(), 800u * 600u);
  auto red = [&](int x, int y) { return ((f[static_cast<std::size_t>(y) * 800 + x] >> 16) & 0xFF) > 180; };
  // 4:3 in 400x600: 400x300, centred at the top half's middle (rows 150-449).
  EXPECT_TRUE(red(200, 300));
  EXPECT_TRUE(red(5, 160));
  EXPECT_TRUE(red(394, 440));
  EXPECT_FALSE(red(200, 100));
  EXPECT_FALSE(red(200, 500));
  EXPECT_FALSE(red(600, 300));
  EXPECT_EQ(mci().send("close m.mpg"), 0u);
}

// Bytes of a MIDI file from a header and track bodies.
Bytes midiFile(int format, int declaredTracks, const std::vector<Bytes>& tracks, int division = 480) {
  Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<std::uint8_t>(format), 0,
             static_cast<std::uint8_t>(declaredTracks), static_cast<std::uint8_t>(division >> 8),
             static_cast<std::uint8_t>(division)};
  for (const Bytes& t : tracks) {
    const std::uint32_t n = static_cast<std::uint32_t>(t.size());
    b.insert(b.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                       static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
Bytes track(Bytes events) {
  events.insert(events.end(), kEnd.begin(), kEnd.end());
  return events;
}

struct MidiCase {
  const char* name;
  Bytes bytes;
  bool good;
};

class MidiCheck : public ::testing::TestWithParam<MidiCase> {};

TEST_P(MidiCheck, AcceptsWholeFilesOnly) {
  const MidiCase& c = GetParam();
  std::string why;
  MidiFileInfo info;
  EXPECT_EQ(checkMidiFile(c.bytes.data(), c.bytes.size(), &info, &why), c.good) << why;
  EXPECT_EQ(why.empty(), c.good) << why;
}

const Bytes kNotes = {0x00, 0x90, 60, 100, 0x60, 60, 0, 0x00, 0xC0, 5, 0x10, 0xF0, 0x02, 0x7E, 0xF7};

INSTANTIATE_TEST_SUITE_P(
    Table, MidiCheck,
    ::testing::Values(
        MidiCase{"written_tune", testMidi(), true},
        MidiCase{"running_status_sysex_program", midiFile(0, 1, {track(kNotes)}), true},
        MidiCase{"format1_two_tracks_and_foreign_chunk",
                 [] {
                   Bytes b = midiFile(1, 2, {track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})});
                   b.insert(b.end(), {'X', 'y', 'z', 'w', 0, 0, 0, 2, 1, 2});
                   const Bytes second = midiFile(1, 1, {track(kNotes)});
                   b.insert(b.end(), second.begin() + 14, second.end());
                   return b;
                 }(),
                 true},
        MidiCase{"cut_in_the_last_event", [] { Bytes b = testMidi(); b.resize(b.size() - 2); return b; }(), false},
        MidiCase{"track_longer_than_file", [] { Bytes b = midiFile(0, 1, {track(kNotes)}); b[21] += 9; return b; }(), false},
        MidiCase{"missing_second_track", midiFile(1, 2, {track(kNotes)}), false},
        MidiCase{"data_without_status", midiFile(0, 1, {track({0x00, 60, 100})}), false},
        MidiCase{"data_byte_above_127", midiFile(0, 1, {track({0x00, 0x90, 0xC8, 100})}), false},
        MidiCase{"meta_past_track_end", midiFile(0, 1, {{0x00, 0xFF, 0x01, 0x40, 'a'}}), false},
        MidiCase{"endless_time", midiFile(0, 1, {{0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 60, 1}}), false},
        MidiCase{"events_after_end", midiFile(0, 1, {{0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 1}}), false},
        MidiCase{"system_realtime_in_file", midiFile(0, 1, {track({0x00, 0xF8})}), false},
        MidiCase{"format0_with_two_tracks", midiFile(0, 2, {track(kNotes), track(kNotes)}), false},
        MidiCase{"unknown_format", midiFile(3, 1, {track(kNotes)}), false},
        MidiCase{"zero_division", midiFile(0, 1, {track(kNotes)}, 0), false},
        MidiCase{"not_midi", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0}, false},
        MidiCase{"header_only", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}, false},
        MidiCase{"empty", Bytes{}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ml::test
