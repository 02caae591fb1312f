// The subcommands of mirelune-convert. Adding one is one line in the list below plus
// its own file defining `int run_<name>(const std::vector<std::string>& args)`, where
// args are the words after the subcommand's name. The function prints its own errors
// and returns the exit status.
#pragma once

#include <string>
#include <vector>

// X(name, arguments, what it does)
#define MIRELUNE_CONVERT_SUBCOMMANDS(X)                                                       \
  X(topng, "PICTURE OUT.png",                                                                 \
    "decode a .psd or .bmp picture with the engine's loaders and write every frame as PNG "   \
    "(OUT.png for one frame, OUT-0.png, OUT-1.png ... for several); a damaged picture "      \
    "prints the engine's messages, writes what decoded, and exits 1")                        \
  X(script, "IN OUT [--scramble]",                                                            \
    "UTF-8 script to the engine's form: Shift-JIS, CR LF, marker byte; --scramble scrambles "  \
    "it. Characters input methods type for Shift-JIS ones (〜 − ‖ — ¢ £ ¬ ¦ ‾) are mapped; "     \
    "every other character without a Shift-JIS form is listed and nothing is written") \
  X(frompng, "OUT.psd|OUT.bmp IN.png [IN2.png ...] [--layered] [--raw]",                      \
    "PNG to the form the output name says: .psd one PNG flat, several (or --layered) one "     \
    "frame each with transparency; .bmp one PNG as a 24-bit bitmap") \
  X(wav, "IN.(ogg|wav) OUT.wav [--quality Q] [--pcm]", "Ogg Vorbis or PCM WAVE to the engine's Vorbis WAVE (or 16-bit PCM with --pcm)")

#define MIRELUNE_DECLARE_SUBCOMMAND(name, arguments, summary) \
  int run_##name(const std::vector<std::string>& args);
MIRELUNE_CONVERT_SUBCOMMANDS(MIRELUNE_DECLARE_SUBCOMMAND)
#undef MIRELUNE_DECLARE_SUBCOMMAND
