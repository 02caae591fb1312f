#include "media/sound/sound_device.h"

#include "media/io/archive.h"
#include "media/io/game_folder.h"
#include "media/sound/sound_decoder.h"
#include "platform/posix/file_handle.h"

namespace ml {

SoundDevice::SoundDevice(Platform& platform, const GameFolder& folder, DataArchive& archive)
    : platform_(platform), folder_(folder), archive_(archive) {}

SoundDevice::~SoundDevice() { destroy(); }

bool SoundDevice::create() {
  if (!open_) open_ = platform_.openAudio(&mixer_);
  return open_;
}

void SoundDevice::destroy() {
  if (!open_) return;
  platform_.closeAudio();
  open_ = false;
}

bool SoundDevice::readFile(std::string_view sjisPath, std::vector<std::uint8_t>& out) {
  out.clear();
  // A loose file wins over the archive; nothing larger than a decoded track can be
  // is read at all.
  if (folder_.exists(sjisPath)) {
    FileHandle f;
    if (f.open(folder_.resolve(sjisPath), FileHandle::Mode::Read)) {
      const std::int64_t size = f.size();
      if (size > 0 && static_cast<std::uint64_t>(size) <= kMaxDecodedBytes && f.readAll(out)) return true;
      out.clear();
      return false;
    }
  }
  return archive_.readEntry(sjisPath, out);
}

}  // namespace ml
