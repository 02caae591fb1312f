// What the media services need from the running game: where errors go, where loose
// files lie, the picture archive, and the settings. The runtime owns one and hands it
// to surfaces and sprites, which keep a pointer to it.
#pragma once

namespace ml {

class Reporter;
class GameFolder;
class DataArchive;
struct Settings;

struct MediaContext {
  Reporter& reporter;
  const GameFolder& folder;
  DataArchive& pictureArchive;
  const Settings& settings;
};

}  // namespace ml
