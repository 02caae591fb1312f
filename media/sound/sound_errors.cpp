#include "media/sound/sound_errors.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace ml {

namespace {

struct CodeName {
  std::uint32_t code;
  const char* name;
};

constexpr CodeName kDirectSoundNames[] = {
    {0x80004001, "DSERR_UNSUPPORTED"},     {0x80004002, "DSERR_NOINTERFACE"},
    {0x80004005, "DSERR_GENERIC"},         {0x80040110, "DSERR_NOAGGREGATION"},
    {0x80070005, "DSERR_ACCESSDENIED"},    {0x8007000E, "DSERR_OUTOFMEMORY"},
    {0x80070057, "DSERR_INVALIDPARAM"},    {0x8878000A, "DSERR_ALLOCATED"},
    {0x8878001E, "DSERR_CONTROLUNAVAIL"},  {0x88780032, "DSERR_INVALIDCALL"},
    {0x88780046, "DSERR_PRIOLEVELNEEDED"}, {0x88780064, "DSERR_BADFORMAT"},
    {0x88780078, "DSERR_NODRIVER"},        {0x88780082, "DSERR_ALREADYINITIALIZED"},
    {0x88780096, "DSERR_BUFFERLOST"},      {0x887800A0, "DSERR_OTHERAPPHASPRIO"},
    {0x887800AA, "DSERR_UNINITIALIZED"},
};

constexpr CodeName kMmSystemNames[] = {
    {256, "MMIOERR_BASE"},           {257, "MMIOERR_FILENOTFOUND"},
    {258, "MMIOERR_OUTOFMEMORY"},    {259, "MMIOERR_CANNOTOPEN"},
    {260, "MMIOERR_CANNOTCLOSE"},    {261, "MMIOERR_CANNOTREAD"},
    {262, "MMIOERR_CANNOTWRITE"},    {263, "MMIOERR_CANNOTSEEK"},
    {264, "MMIOERR_CANNOTEXPAND"},   {265, "MMIOERR_CHUNKNOTFOUND"},
    {266, "MMIOERR_UNBUFFERED"},     {267, "MMIOERR_PATHNOTFOUND"},
    {268, "MMIOERR_ACCESSDENIED"},   {269, "MMIOERR_SHARINGVIOLATION"},
    {270, "MMIOERR_NETWORKERROR"},   {271, "MMIOERR_TOOMANYOPENFILES"},
    {272, "MMIOERR_INVALIDFILE"},    {512, "ACMERR_NOTPOSSIBLE"},
    {513, "ACMERR_BUSY"},            {514, "ACMERR_UNPREPARED"},
    {515, "ACMERR_CANCELED"},
};

template <size_t N>
std::string nameIn(const CodeName (&table)[N], std::uint32_t code) {
  for (const CodeName& c : table)
    if (c.code == code) return c.name;
  // There is no system text for the rest here.
  return SJ("未定義のエラー");
}

}  // namespace

std::string directSoundErrorName(std::uint32_t code) { return nameIn(kDirectSoundNames, code); }
std::string mmSystemErrorName(std::uint32_t code) { return nameIn(kMmSystemNames, code); }

std::string soundErrorText(std::string_view tag, int site, std::string_view name, std::uint32_t code) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, " (%d)\n", site);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", code);
  return std::string(tag) + numbers + std::string(name) + " : " + hex;
}

void SoundErrors::directSound(int site, std::uint32_t code) const {
  if (sink_ != nullptr)
    sink_->soundBox("DirectSound Error", soundErrorText("DSOUND", site, directSoundErrorName(code), code));
}

void SoundErrors::mmSystem(int site, std::uint32_t code) const {
  if (sink_ != nullptr)
    sink_->soundBox("MMSystem Error", soundErrorText("MMSystem", site, mmSystemErrorName(code), code));
}

}  // namespace ml
