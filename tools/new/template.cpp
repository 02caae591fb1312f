#include "tools/new/template.h"

namespace ml::tools {
namespace {

std::string fill(std::string text, const std::string& title, const std::string& folder = {}) {
  for (std::size_t at; (at = text.find("{TITLE}")) != std::string::npos;) text.replace(at, 7, title);
  for (std::size_t at; (at = text.find("{GAME}")) != std::string::npos;) text.replace(at, 6, folder);
  return text;
}

constexpr const char* kOpen = R"(; {TITLE} ― 起動スクリプト。ゲームはいつもここ (scr/open.scr) から始まる。
; このファイルは UTF-8 で書き、mirelune-convert script で scr/ に変換する。

; 読み取り記録を使う: 一度読んだページは色が変わり、スキップできる
set_read_mode 0

; タイトル画面。「はじめから」を選ぶとここへ戻ってきて先へ進む
menu

; 文章ウィンドウ (種類 0): 位置 (0,420)、文字は (+72,+68) から 28 桁 3 行、絵は _WinMsg
window 0 0 420 0 0 72 68 28 3 _WinMsg 0 0
; 名札 (種類 2): 位置 (20,376)、名前は 7 桁の中央、絵は _WinNam
window 2 20 376 0 0 16 8 7 1 _WinNam 0 0
; ページは ret で終わる (auto_ret_on なら文章の行ごとに終わる)
auto_ret_off
; 立ち絵の位置 (左端の x)。chara01 は幅 400 なので 200 で中央
def_sp_center 200

change start
)";

constexpr const char* kStart = R"(; {TITLE} ― 最初の場面
; ページごとに vo を一つ置く。既読の印は vo ごとに一つなので、vo のない
; ページは前のページと同じ印になり、前のページを読んだだけで既読になる。
; 声がないページは vo "" と書く。

; 背景をフェードインで出し、立ち絵を中央にフェードインで出す
bg1_fi bg01
sp1_fi chara01

msg2 アキ
vo ""
「ようこそ。ここから{TITLE}の物語が始まります」
ret

vo ""
ここは最初のページ。
文章は、retの行までがひとつのページになる。
; 文章の行は全角の字で始め、半角の空白を入れない (そこで行が切れる)。一ページは 28 字 3 行まで
ret

; 選択肢: 窓の形、問いかけ、選ぶ文、そして select2。答えは S に入る。
; S はこのスクリプトの def_sel を上から 1、2、3…と数えた番号 (選択肢ごとに 1 からではない)
window_sel 1 149 0 0 0 0 0 0 0 0 0 _WinSel 0 -6
def_selmes どうする？
def_sel 話を聞く
def_sel 窓の外を見る
select2 1
[S=1]{
  msg2 アキ
  vo ""
  「聞いてくれるんだね。ありがとう」
  ret
}
[S=2]{
  vo ""
  窓の外には、よく晴れた空が広がっている。
  ret
}

; セーブする場所: 選んだときだけセーブ画面を開く。def_sel はこのスクリプトの 3 番目と
; 4 番目なので、答えは 3 か 4
def_selmes ここでセーブしますか？
def_sel このまま続ける
def_sel セーブする
select2 1
[S=4]{
  save
}

vo ""
続きはここに書いていく。
ret
; スクリプトが終わると物語も終わる (エンジンが「最後まで実行しました」と一度だけ告げる)。
; タイトル画面に戻るなら、ここに title と書く。
)";

constexpr const char* kGameData = R"(# The game data of {TITLE}: what makes it this game besides its scripts and pictures.
# UTF-8; "#" starts a comment line. The format: docs/gamedata.md in the Mirelune sources.
# mirelune-lint checks every row; the engine leaves out a faulty row and says where.

[game]
title = {TITLE}
version = ver 1.00
notice = Copyright (C) {TITLE}
notice = All rights reserved.
# The help menu's items; left empty they report a start error.
homepage =
homepage_item = ホームページ(&P)...
manual =
# Names in wav\ without ".wav"; "-" for none.
title_music = -
ending_music = -
title_mark_left = _MnMarkL
title_mark_right = _MnMarkR

[credits]
# The ending's roll, one row a few seconds: frame picture x y seconds text
# ("-" for no picture or no text; "\n" breaks a line; 13 wide characters, 4 lines).
-1 -       100 250 3 スタッフ
-1 chara01 100 250 3 シナリオ\n　あなた
-1 -       450 250 3 ― おわり ―

[gallery]
# page(1-6) picture:flag ...  (pictures cg\NAME.bmp, seen when the flag is set)

[recollection]
# page(1-2) flag script start-value

[derived_flags]
# flag set-when-this or-this

[music]
# track(1-14) name

[voices]
# prefix(3 letters) name: voices named prefix... follow the speaker's options

[guide_voices]
# prefix name: entry m of a row is wav\PREFIX_mm.wav

[tints]
# background preset(0-2)
bg01 0

[mosaic]
# event pictures (names beginning with E) whose save thumbnails are mosaicked
)";

constexpr const char* kReadme = R"(# {TITLE}

This folder is a game for the Mirelune engine, made by `mirelune-new`. It plays as it
is: a title menu, a background, a sprite, a few pages of text, a choice and a save point
(a second choice that opens the save screen).
The author's guide (`demo/README.md` in the Mirelune sources) goes further.

## What is here

| Path | What |
|---|---|
| `src/*.scr` | the scripts as you write them, in UTF-8 |
| `scr/*.scr` | the same scripts as the engine reads them (Shift-JIS, CR LF): made by `mirelune-convert script`, never edited by hand |
| `cg/` | pictures: `bg01.bmp` (sample background), `chara01.psd` (sample sprite) and the skin, every picture whose name begins with `_` (message window, name plate, buttons, backlog, choices, title menu, save and load screen, options, extras) |
| `wav/` | music, effects and voices (Vorbis WAVE files) |
| `scr/gamedata.txt` | the game's own data, in UTF-8: window title, About notices, home page, manual, title and ending music, the credits of `ending`, the extras' gallery, scenes and music room, the speakers of the voice options, the guide voices, background tints (format: `docs/gamedata.md` in the Mirelune sources) |
| `assets.txt` | every picture made here with its size and use |

The game starts at `scr/open.scr`, which shows the title menu, defines the message
window and goes on to `scr/start.scr`.

## Working on it

The tools are built with Mirelune and lie in its build folder (`build/`); the commands
below assume they are on your `PATH` and are run from the folder above this one.

    # after editing a script
    mirelune-convert script {GAME}/src/start.scr {GAME}/scr/start.scr
    # a picture drawn elsewhere: the name says the form (.bmp or .psd)
    mirelune-convert frompng {GAME}/cg/bg02.bmp room.png
    mirelune-convert frompng {GAME}/cg/chara02.psd smile.png      # keeps transparency
    # music, effects and voices: Ogg Vorbis (or WAVE) to the engine's Vorbis WAVE
    mirelune-convert wav theme.ogg {GAME}/wav/bgm01.wav
    # check every script the way the engine reads it
    mirelune-lint {GAME}
    # play it
    mirelune --game {GAME}
    # or without a window: click through every page, take a screenshot of the end
    mirelune --headless --game {GAME} --autoplay --screenshot shot.png

Scripts may use the characters your input method types (〜, —, −, ‖ …): the converter
writes their Shift-JIS forms. A character Shift-JIS cannot hold (an emoji) is reported
with its line and column, and nothing is written until it is gone.

`mirelune-lint` prints one line per fault, `scr/start.scr:12: MESSAGE (English): DETAIL`,
which editors open at the line; `--json` gives the same for editor plugins. The
message is the one the engine itself would show.

## Shipping it

Give the player the engine and a folder with the archives, scripts scrambled (run from
the folder above this one):

    mkdir -p ship/scr
    for f in {GAME}/src/*.scr; do mirelune-convert script "$f" ship/scr/$(basename "$f") --scramble; done
    mirelune-pack create ship/scr.dat ship/scr/*.scr && rm -r ship/scr
    mirelune-pack create --lzss ship/cg.dat {GAME}/cg/*.bmp {GAME}/cg/*.psd
    mirelune-pack create ship/wav.dat {GAME}/wav/*.wav
    mirelune-lint ship && mirelune --headless --game ship --autoplay

A game without sounds yet ships the empty `wav.dat` that `mirelune-new` made
(`cp {GAME}/wav.dat ship/`): the engine wants all three archives. Loose files beside the archives win over packed ones, so a fix can ship as one loose
file. Saves, settings (`mirelune.ini`) and read marks are written beside the game, or
in `$XDG_DATA_HOME/mirelune/` when the folder is read-only.
)";

}  // namespace

std::vector<TemplateFile> starterScripts(const std::string& title) {
  // A half-width blank would end the text line the title stands in.
  std::string inText;
  for (char c : title) inText += c == ' ' || c == '\t' ? std::string("\u3000") : std::string(1, c);
  return {{"open.scr", fill(kOpen, title)}, {"start.scr", fill(kStart, inText)}};
}

std::string starterReadme(const std::string& title, const std::string& folder) {
  return fill(kReadme, title, folder);
}

std::string starterGameData(const std::string& title) {
  return fill(kGameData, title);
}

}  // namespace ml::tools
