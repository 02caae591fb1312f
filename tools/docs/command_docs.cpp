#include "tools/docs/command_docs.h"

#include "scene/command_table.h"

namespace ml::docs {
namespace {

// One row per command word, in the order of the command table. Scene slots: 0 the
// background or event picture, 1-4 the sprites. Transitions: FADE_NONE, FADE_IN,
// FADE_IN2, FADE_OUT, FADE_CROSS, FADE_SET, FADE_STOP, MOSAIC_IN, MOSAIC_OUT,
// SCROLL_LEFT_OUT, SCROLL_RIGHT_OUT.
constexpr CommandDoc kDocs[] = {
    {"minigame", "", "Does nothing (the word is read and passed over).", "minigame"},
    {"msg2", "NAME", "Speaker name for the next page, shown centred on the name plate (`window 2`). Up to 63 bytes; lasts one page.", "msg2 凛"},
    {"set_read_mode", "N", "Read tracking: 0 on (the default: read pages change colour and can be skipped), anything else off (scripts loaded from now on are not registered, pages stay white).", "set_read_mode 0"},
    {"bg", "PICTURE TRANSITION", "Background into scene slot 0 at (0, 0) with the given transition. The picture is `cg\\PICTURE.bmp`, else `.psd`.", "bg bg01 FADE_CROSS"},
    {"bg1", "PICTURE", "Background, shown at once (FADE_NONE).", "bg1 bg01"},
    {"bg1_fi", "PICTURE", "Background, fading in (FADE_IN).", "bg1_fi bg01"},
    {"bg1_cf", "PICTURE", "Background, cross-fading from the one shown (FADE_CROSS).", "bg1_cf bg02"},
    {"bg1_mi", "PICTURE", "Background, appearing out of a mosaic (MOSAIC_IN).", "bg1_mi bg02"},
    {"bg2", "PICTURE SPRITE", "Background and one sprite at the centre position (`def_sp_center`), at once.", "bg2 bg01 chara01"},
    {"bg2_fi", "PICTURE SPRITE", "Background and one sprite at the centre position, fading in.", "bg2_fi bg01 chara01"},
    {"bg3", "PICTURE LEFT RIGHT", "Background and two sprites at the left and right positions, at once.", "bg3 bg01 aoi01 rin01"},
    {"bg3_fi", "PICTURE LEFT RIGHT", "Background and two sprites at the left and right positions, fading in.", "bg3_fi bg01 aoi01 rin01"},
    {"bg4_fi", "PICTURE LEFT CENTRE RIGHT", "Background and three sprites at the three-sprite positions (`def_sp_left3`, `def_sp_center`, `def_sp_right3`), fading in.", "bg4_fi bg01 aoi01 rin01 sou01"},
    {"ev", "PICTURE TRANSITION", "Event picture (a full-screen scene picture) into scene slot 0 with the given transition. Names defined with `def_cg` also set their gallery flag.", "ev ev01 FADE_IN"},
    {"ev1", "PICTURE", "Event picture, at once.", "ev1 ev01"},
    {"ev1_fi", "PICTURE", "Event picture, fading in.", "ev1_fi ev01"},
    {"ev1_cf", "PICTURE", "Event picture, cross-fading.", "ev1_cf ev02"},
    {"sp", "N PICTURE TRANSITION", "Sprite N+1 (N 0-3) at the centre position, y 0, with the given transition.", "sp 0 chara01 FADE_IN"},
    {"spl", "N PICTURE TRANSITION", "Sprite N+1 at the left position (`def_sp_left`).", "spl 1 aoi01 FADE_IN"},
    {"spr", "N PICTURE TRANSITION", "Sprite N+1 at the right position (`def_sp_right`).", "spr 2 rin01 FADE_IN"},
    {"sp_loop", "N LOOP|LOOP_NONE|LOOP_STOP", "Animation of sprite N+1: repeat, play once and hold the last frame, or stop.", "sp_loop 0 LOOP"},
    {"sp_wait", "N", "Waits until sprite N+1's animation shows its last frame.", "sp_wait 0"},
    {"set_hsv", "HUE SATURATION VALUE", "Colour shift for sprites loaded from now on: hue in degrees, saturation and value in percent. 0 0 0 is none.", "set_hsv 0 -20 0"},
    {"set_rgb", "RED GREEN BLUE", "Reads its three numbers and changes nothing.", "set_rgb 0 0 0"},
    {"set_rgb2", "RED GREEN BLUE", "Tint for sprites loaded from now on, each a change in percent.", "set_rgb2 10 0 -10"},
    {"set_rgb_ex1", "RED GREEN BLUE", "Tint preset 0, in percent. Backgrounds listed in the program's background tint table set the sprite tint to their preset.", "set_rgb_ex1 0 0 0"},
    {"set_rgb_ex2", "RED GREEN BLUE", "Tint preset 1, in percent.", "set_rgb_ex2 12 -4 -16"},
    {"set_rgb_ex3", "RED GREEN BLUE", "Tint preset 2, in percent.", "set_rgb_ex3 -24 -12 8"},
    {"sp1", "PICTURE", "Sprite 1 at the centre position, at once.", "sp1 chara01"},
    {"sp1_fi", "PICTURE", "Sprite 1 at the centre position, fading in.", "sp1_fi chara01"},
    {"sp1_cf", "PICTURE", "Sprite 1 at the centre position, cross-fading from the one shown (a change of expression).", "sp1_cf chara01b"},
    {"sp2", "LEFT RIGHT", "Sprites 1 and 2 at the left and right positions, at once.", "sp2 aoi01 rin01"},
    {"sp2_fi", "LEFT RIGHT", "Sprites 1 and 2 at the left and right positions, fading in.", "sp2_fi aoi01 rin01"},
    {"sp2_cf", "LEFT RIGHT", "Sprites 1 and 2 at the left and right positions, cross-fading.", "sp2_cf aoi02 rin01"},
    {"sp3", "LEFT CENTRE RIGHT", "Three sprites at the three-sprite positions, at once.", "sp3 aoi01 rin01 sou01"},
    {"sp3_cf", "LEFT CENTRE RIGHT", "Three sprites at the three-sprite positions, cross-fading.", "sp3_cf aoi01 rin02 sou01"},
    {"sp_fade", "TRANSITION", "Runs a transition on sprites 1-3.", "sp_fade FADE_OUT"},
    {"sp_fade_out", "", "Sprites 1-3 fade out and are removed.", "sp_fade_out"},
    {"sp_fade_in", "", "Sprites 1-3 fade in.", "sp_fade_in"},
    {"sp_fo", "", "Same as `sp_fade_out`.", "sp_fo"},
    {"fade", "TRANSITION", "Runs a transition on the background and sprites 1-3.", "fade FADE_OUT"},
    {"fade_out", "", "Background and sprites fade out and are removed.", "fade_out"},
    {"fade_in", "", "Background and sprites fade in.", "fade_in"},
    {"fo", "", "Same as `fade_out`.", "fo"},
    {"fo2", "", "`fade_out` at half speed.", "fo2"},
    {"fi", "", "Same as `fade_in`.", "fi"},
    {"fi2", "", "`fade_in` at half speed.", "fi2"},
    {"mono", "LAYER SET|RESET", "Monochrome drawing of a layer slot (0 the background, 10 12 14 16 the sprites) on or off.", "mono 0 SET"},
    {"mosaic", "LAYER MOSAIC_OUTIN|MOSAIC_OUT|MOSAIC_IN", "Mosaic on one layer slot: into and back out of a mosaic, into it, or out of it.", "mosaic 0 MOSAIC_OUTIN"},
    {"posi", "SLOT X Y", "Places scene slot 0-4 at (X, Y) at once.", "posi 1 120 0"},
    {"mask", "TOP BOTTOM", "Letterbox bands of the given heights at the top and bottom; 0 0 (the default) removes them.", "mask 80 80"},
    {"move_yposi", "SLOT Y STEP", "Moves a scene slot vertically to Y, STEP pixels a frame, and waits.", "move_yposi 1 -24 6"},
    {"move_xyposi", "SLOT X Y FRAMES", "Moves a scene slot to (X, Y) in a straight line over FRAMES frames, and waits.", "move_xyposi 1 300 0 30"},
    {"move_xyset", "SLOT X Y FRAMES FADE ALPHA", "Starts a move to (X, Y) over FRAMES frames with fade and alpha steps, and goes on at once (see `move_xywait`).", "move_xyset 1 300 0 30 0 0"},
    {"move_xywait", "SLOT", "Waits for a move started by `move_xyset` to end.", "move_xywait 1"},
    {"set_all_fade", "LEVEL", "Darkens the scene gradually to LEVEL (-256 darkest ... 0 none, the default); the message window is not darkened.", "set_all_fade -128"},
    {"set_fade", "SLOT LEVEL", "Fade level (0-255) of a scene slot, at once.", "set_fade 0 128"},
    {"set_alpha", "SLOT LEVEL", "Alpha level (0 invisible ... 255 opaque) of a scene slot, at once.", "set_alpha 1 128"},
    {"set_alpha2", "SLOT LEVEL STEP", "Alpha level of a scene slot, changing by STEP a frame.", "set_alpha2 1 0 8"},
    {"scroll", "LAYER UP|SCROLL_UP|SCROLL_DOWN", "Slides a layer vertically until it stands at y 0 (a tall picture scrolled into view).", "scroll 0 SCROLL_UP"},
    {"shake", "SHAKE_1|SHAKE_2", "A short, dying vertical shake of the screen.", "shake SHAKE_1"},
    {"shake2", "COUNT FRAMES DX DY", "A dying shake in four directions: COUNT rounds of FRAMES frames each, DX and DY pixels.", "shake2 4 2 8 8"},
    {"shake3", "COUNT FRAMES DX DY", "A steady shake in four directions.", "shake3 4 2 4 4"},
    {"fade_all_out", "", "The whole screen, window included, fades to black.", "fade_all_out"},
    {"fade_all_in", "", "The whole screen fades in from black.", "fade_all_in"},
    {"fade_all_white_out", "", "The whole screen fades to white.", "fade_all_white_out"},
    {"fade_all_white_in", "", "The whole screen fades in from white.", "fade_all_white_in"},
    {"flash", "RED GREEN BLUE", "Fills the screen with one colour until turned off; a negative component turns it off.", "flash -1 -1 -1"},
    {"flash1", "T1", "White for T1 seconds.", "flash1 0.1"},
    {"flash2", "T1 T2 T3", "White T1, normal T2, white T3 seconds.", "flash2 0.1 0.1 0.1"},
    {"flash3", "T1 T2 T3 T4 T5", "White, normal, white, normal, white.", "flash3 0.1 0.1 0.1 0.1 0.1"},
    {"zoom", "ZOOM_IN|ZOOM_OUT", "Zooms into the screen's centre, or back out.", "zoom ZOOM_IN"},
    {"bgm", "NAME LOOP|LOOP_NONE START", "Music `wav\\NAME.wav` on the music channel, looping or once, from START seconds.", "bgm bgm01 LOOP 0"},
    {"bgm1", "NAME", "Music, looping. A save remembers it.", "bgm1 bgm01"},
    {"bgm2", "NAME", "Music, played once.", "bgm2 jingle"},
    {"bgm_stop", "", "Stops the music at once.", "bgm_stop"},
    {"bgm_fo", "", "Fades the music out.", "bgm_fo"},
    {"bgm1_ex", "NAME START", "Music, looping, from START seconds.", "bgm1_ex bgm01 12.5"},
    {"bgm2_ex", "NAME START", "Music, once, from START seconds.", "bgm2_ex bgm01 12.5"},
    {"se", "NAME LOOP|LOOP_NONE", "Sound effect `wav\\NAME.wav` (defined names allowed), looping or once.", "se se_wind LOOP"},
    {"se1", "NAME", "Sound effect, looping (until `se_stop` or `se_fo`).", "se1 se_wind"},
    {"se2", "NAME", "Sound effect, once.", "se2 se_door"},
    {"se3", "NAME", "Sound effect, once, and waits until it ends.", "se3 se_knock"},
    {"se_stop", "", "Stops the effect at once.", "se_stop"},
    {"se_fo", "", "Fades the effect out.", "se_fo"},
    {"se_wait", "", "Waits until the effect channel is silent.", "se_wait"},
    {"vo_wait", "", "Waits until the voice channel is silent.", "vo_wait"},
    {"vo", "NAME", "Voice `wav\\NAME.wav` of the next page, and the page's read mark (see Read marks). `vo \"\"` gives a page without a voice its own mark.", "vo rin001"},
    {"vol", "NAME", "Voice of the next page from the left. Not given a read mark of its own: its pages share mark 0.", "vol rin002"},
    {"vor", "NAME", "Voice of the next page from the right. Not given a read mark of its own: its pages share mark 0.", "vor rin003"},
    {"vo2", "NAME", "Voice of the next page without changing the read mark.", "vo2 crowd"},
    {"window", "KIND X Y A B TEXTX TEXTY COLUMNS ROWS PICTURE PICX PICY", "Kind 0: the message window at (X, Y), text from (X+TEXTX, Y+TEXTY) in COLUMNS full-width characters by ROWS lines, picture PICTURE at (X+PICX, Y+PICY); needed before the first text line. Kind 2: the name plate, likewise (PICTURE `NULL` for none). A and B are kept and not used. The engine also loads the skin pictures (`_WindowF`, `_Ret`, the buttons, the backlog, the save and option screens).", "window 0 0 420 0 0 72 68 28 3 _WinMsg 0 0"},
    {"ret", "", "Ends the page (with `auto_ret_off`): shows it and waits for the player; skip and auto mode pass it.", "ret"},
    {"ret_noskip", "", "Ends the page like `ret`, but Ctrl and auto mode do not pass it.", "ret_noskip"},
    {"window_sel", "1 P1 ... P10 PICTURE P11 P12", "Layout of the choice window (number 1): choice bars PICTURE at x = P1 + P9 j + P11 - 9, y offset P12; text y offset P6. Needed before `select`.", "window_sel 1 149 0 0 0 0 0 0 0 0 0 _WinSel 0 -6"},
    {"def_sel", "TEXT", "Registers a choice (at most ten; `NULL` registers none but still counts). Its answer is its place among the script's `def_sel` lines, from 1.", "def_sel 話を聞く"},
    {"def_selmes", "TEXT", "The question shown with the next choice.", "def_selmes どうする？"},
    {"def_selmes2", "TEXT", "The speaker line of the question.", "def_selmes2 葵"},
    {"select", "1", "Shows the registered choices, two of them swapped at random (outside debug mode), waits, and puts the answer in S.", "select 1"},
    {"select2", "1", "Shows the registered choices in order, waits, and puts the answer in S.", "select2 1"},
    {"movie", "FILE", "Plays a movie beside the game (`.mpg` added when the name has no point) and waits; a missing one is passed over silently.", "movie opening"},
    {"midi", "NAME", "Plays `NAME.mid` beside the game.", "midi theme"},
    {"change", "SCRIPT", "Goes on at the start of `scr\\SCRIPT.scr`; flags and pictures carry over.", "change chapter2"},
    {"change_kaisou", "SCRIPT", "Like `change`, and also inside a scene replayed from the scene gallery.", "change_kaisou chapter2b"},
    {"rotate", "LAYER ANGLE ROTATE_SET|ROTATE_MOVE", "Sets a layer slot's rotation, or spins it once.", "rotate 10 90 ROTATE_SET"},
    {"name_check", "", "Sets V to 1 when the player kept the default given name, else 0.", "name_check"},
    {"wait", "SECONDS", "Waits (`1.5` decimal seconds, or an expression of whole seconds); a click, Ctrl or skip mode cut it short.", "wait 1.5"},
    {"sleep", "SECONDS", "Waits; nothing cuts it short.", "sleep 2"},
    {"title", "", "Back to the title: reloads `scr\\open.scr`, clears the screen and stops the sound.", "title"},
    {"window_off", "", "Hides the message window.", "window_off"},
    {"window_on", "", "Shows it again.", "window_on"},
    {"flag_update", "", "Writes the system flags (F1024-F2022) into the system save now.", "flag_update"},
    {"auto_ret_on", "", "Every text line is a page of its own (the default).", "auto_ret_on"},
    {"auto_ret_off", "", "Text lines gather into one page until `ret`.", "auto_ret_off"},
    {"select_center_on", "", "Centred choices (a switch kept in the game state; off by default).", "select_center_on"},
    {"select_center_off", "", "Choices not centred.", "select_center_off"},
    {"moji", "CODE", "Text size of the pages: 2 36 pixels, 4 48, 6 60, 9 72, anything else 24 (the default).", "moji 2"},
    {"define", "NAME VALUE", "Defines a Japanese NAME for VALUE: usable for flags and variables in conditions and assignments, and for pictures and effects.", "define 屋台 F10"},
    {"def_cg", "PICTURE FLAG", "Showing PICTURE (an event picture or music whose name starts with e) sets flag FLAG and writes the system save: the gallery learns it was seen.", "def_cg ev01 1030"},
    {"cls", "", "Clears the page text shown in the window.", "cls"},
    {"kaisou_end", "", "Ends a scene replayed from the scene gallery; nothing in the game.", "kaisou_end"},
    {"menu", "", "The title menu (new game, continue, extras, options, quit); the script goes on after it for a new game.", "menu"},
    {"map", "", "Does nothing.", "map"},
    {"ending", "WORD", "The ending with its credits (the word is read and not used).", "ending staff"},
    {"\\n", "", "Does nothing (also `\\i`, `\\k`).", "\\n"},
    {"\\i", "", "Does nothing.", "\\i"},
    {"\\k", "", "Does nothing.", "\\k"},
    {"load", "", "Opens the load screen.", "load"},
    {"save", "", "Opens the save screen: a save point.", "save"},
    {"goto", "@LABEL", "Goes on after the label `@LABEL` of the same script.", "goto @ending"},
    {"def_indent", "CHARACTERS", "Characters after which continued lines are indented; default 「（〔〈【.", "def_indent 「『（"},
    {"def_kinsoku", "CHARACTERS", "Characters that may not begin a line (they hang at the line end); default 」）〕〉】、。！？.", "def_kinsoku 」』）、。！？"},
    {"def_sp_left", "X", "Left sprite position (x of the picture's left edge). All five positions are 0 until set.", "def_sp_left 20"},
    {"def_sp_center", "X", "Centre sprite position.", "def_sp_center 200"},
    {"def_sp_right", "X", "Right sprite position.", "def_sp_right 380"},
    {"def_sp_left3", "X", "Left position of the three-sprite layout.", "def_sp_left3 -40"},
    {"def_sp_right3", "X", "Right position of the three-sprite layout.", "def_sp_right3 440"},
    {"set_ff", "WORD", "Reads one word and does nothing.", "set_ff 0"},
    {"random", "N", "Puts a random number 0 ... N-1 into R (0 when N is 0).", "random 6"},
    {"effect", "TRANSITION LEVEL MASK PICTURE", "Wipes the screen to the background PICTURE along the mask picture MASK (its dark parts first); the sprites go. Only FADE_IN is taken; LEVEL is read and not used.", "effect FADE_IN 255 mask01 bg02"},
    {"ef2", "MASK PICTURE", "Same as `effect FADE_IN 255 MASK PICTURE`.", "ef2 mask01 bg02"},
    {"bg_effect_on", "", "Background effect mode 1.", "bg_effect_on"},
    {"bg_effect_off", "", "Background effect off (mode 0).", "bg_effect_off"},
    {"bg_effect", "MODE", "Background effect mode.", "bg_effect 0"},
    {"date_disp", "X Y FORMAT", "Shows the local date and time at (X, Y) (`%y %m %d` and the like) and waits for a click.", "date_disp 200 280 %y年%m月%d日"},
    {"date_disp2", "X Y FORMAT", "The same without waiting.", "date_disp2 200 280 %m月%d日"},
    {"blue_sky", "", "The sky animation (`BlueSky1` ... `BlueSky3`).", "blue_sky"},
    {"param_calc", "", "Ranks the five parameters F771-F775 and puts the first into F0 and the second into F1.", "param_calc"},
    {"break", "", "Debug stop: shows the debug report at this line.", "break"},
    {"macro", "WORD", "Reads one word and does nothing.", "macro 章の始め"},
};

constexpr const char* kSyntax = R"(# Script commands

This page is made from the engine's command table by `mirelune-docs` at build time;
do not edit it by hand.

## Script files

A script is `scr\NAME.scr`: Shift-JIS text with CR LF line ends after a one-byte
marker. Write scripts in UTF-8 and convert them with `mirelune-convert script`, which
writes that form. The game starts at `scr\open.scr`.

The engine reads a script word by word; a word ends at a blank, a tab or a line end,
and a word in double quotes (`"a b"`, `""`) may hold blanks or be empty. Commands read
their arguments as the words that follow, so several commands may stand on one line,
and a word left over is read as the next command.

| Form | Meaning |
|---|---|
| `; text` | A comment, to the end of the line. |
| `@name` | A label, the target of `goto @name`. Execution must not run into a label line (it is an unknown command there): write labels in a comment, `; @name`, which `goto` still finds. |
| text starting with a full-width character | A text line: it is added to the page. It runs to the next blank, so do not put half-width blanks in text. With `auto_ret_on` every text line is a page; with `auto_ret_off` the page ends at `ret`. A page holds at most the window's rows (3 in the starter game) of its columns (28). |
| `F12=1`, `A=A+1` | An assignment, written without blanks. Flags F0-F2047 hold 0-255 (larger values become 255, negative ones 0); variables A-Z hold 32-bit integers. F0-F1023 belong to one play-through, F1024-F2022 to every play-through (kept in the system save), F2023-F2047 are the engine's settings. |
| `[F1=1]{` ... `}` | A condition and its block: the block runs when the condition holds. Comparisons `=`, `!` (not equal), `<`, `>`, `<=`, `>=`; join them with `&` and `\|`. No blanks inside the brackets; a comparison is needed (`[F1]` is always false). |
| `define 名前 F10` | Defines a Japanese name for a flag, a variable or a picture or sound name. |

Expressions (in assignments and numeric arguments) are read strictly from left to
right without precedence: `2+3*4` is 20. Operators `+ - * /` (integer), `& | ^`
(bitwise). Times (`wait`, `flash1`, music start) are `1.5` (decimal seconds) or an
expression of whole seconds.

## In text

| Form | Meaning |
|---|---|
| `\n` | A line break inside the page. |
| `\` and a blank | Nothing (an empty escape). Any other letter after `\` is an error. |
| `●名●`, `▲氏▲` | The player's given name and family name. |
| `msg2 NAME` before the page | The speaker's name on the name plate. |

## Read marks

Read pages are told apart by voice command: each `vo` of a script gives the pages after
it, up to the next `vo`, one read mark. Pages with no `vo` between them share a mark,
so once the first is read the others show as read and are skipped, even on the first
play. Put one `vo` before every page, and `vo ""` for a page without a voice.
`vol` and `vor` do not get a mark of their own (their pages share mark 0 of the
script); `vo2` keeps the mark it finds. `mirelune-lint` warns about pages that share a
mark.

## Pictures, sounds and names

Pictures are `cg\NAME.bmp` (24-bit or 8-bit bitmaps) or `cg\NAME.psd` (Photoshop, RGB,
8 bits; a layered file is a picture with one frame per layer); the `.bmp` is looked for
first. Sounds are `wav\NAME.wav` (Ogg Vorbis in WAVE, or PCM). Names in archives are at
most 23 bytes. Pictures whose names begin with `_` are the skin: the engine loads them
by itself (`mirelune-new` draws a complete set).

## Commands

Arguments in capitals are values; words like `LOOP|LOOP_NONE` are the choices of a
keyword argument. SLOT is a scene slot: 0 the background, 1-4 the sprites. LAYER is a
layer slot: 0 the background, 10, 12, 14, 16 the sprites. TRANSITION is one of
FADE_NONE, FADE_IN, FADE_IN2, FADE_OUT, FADE_CROSS, FADE_SET, FADE_STOP, MOSAIC_IN,
MOSAIC_OUT, SCROLL_LEFT_OUT, SCROLL_RIGHT_OUT.

| Command | Arguments | What it does | Example |
|---|---|---|---|
)";

std::string cell(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '|') out += "\\|";
    else out += c;
  }
  return out;
}

}  // namespace

std::span<const CommandDoc> commandDocs() { return kDocs; }

std::string renderCommandReference() {
  std::string page = kSyntax;
  for (const CommandRow& row : commandTable()) {
    const CommandDoc* doc = nullptr;
    for (const CommandDoc& d : kDocs)
      if (d.word == row.keyword) doc = &d;
    if (doc == nullptr) {
      page += "| `" + cell(row.keyword) + "` | | (no description) | |\n";
      continue;
    }
    page += "| `" + cell(doc->word) + "` | " + cell(doc->arguments) + " | " + cell(doc->what) + " | `" +
            cell(doc->example) + "` |\n";
  }
  return page;
}

}  // namespace ml::docs
