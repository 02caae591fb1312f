#!/usr/bin/env bash
# A new game made the way an author makes one: mirelune-new, a script edited in UTF-8
# with the characters input methods type, a picture and a sound added through the
# converters, mirelune-lint, packing, and headless runs of the loose and the packed
# folder that must end without any report but the end of the story.
# Usage: tests/stages/newgame.sh BUILD_FOLDER
set -u
BUILD=${1:?usage: newgame.sh BUILD_FOLDER}
JOBS=${JOBS:-2}
cd "$(dirname "$0")/../.."

cmake --build "$BUILD" --target mirelune mirelune-new mirelune-lint mirelune-convert mirelune-pack -j "$JOBS" || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
GAME="$work/game"
fail() { echo "newgame: $*"; exit 1; }

echo "--- mirelune-new"
"$BUILD/mirelune-new" "$GAME" --title "はじめての物語" || fail "mirelune-new failed"
"$BUILD/mirelune-new" "$GAME" >/dev/null 2>&1 && fail "mirelune-new wrote into a folder that is not empty"
"$BUILD/mirelune-lint" "$GAME" >"$work/lint.out" || { cat "$work/lint.out"; fail "the new game does not pass mirelune-lint"; }
grep -q 'gamedata' "$work/lint.out" && { cat "$work/lint.out"; fail "the new game's game-data file is missing or faulty"; }

# The title menu waits for a button: after its fade-in, Down and Enter start the game.
printf 'wait 2000\nkey down\nkey enter\n' >"$work/title.input"
# Autoplay takes the first answer of each choice: the story, without opening the save
# screen, which waits for a player.
play() {  # play FOLDER NAME: autoplay to the end; only the end-of-story report is allowed
  local dir=$1 name=$2
  timeout 300 "$BUILD/mirelune" --headless --game "$dir" --autoplay --seed 1 \
    --input "$work/title.input" --screenshot "$work/$name.png" --audio-out "$work/$name.wav" \
    >"$work/$name.out" 2>"$work/$name.err"
  local rc=$?
  [ $rc -eq 0 ] || { tail -5 "$work/$name.err"; fail "$name: exit status $rc"; }
  if grep -E '^(ScriptError|SystemError|MessageBox):' "$work/$name.err" | grep -v '^ScriptError: 最後まで実行しました'; then
    fail "$name: reports during the run (above)"
  fi
  grep -q '^ScriptError: 最後まで実行しました' "$work/$name.err" || fail "$name: the story did not run to its end"
  [ -s "$work/$name.png" ] || fail "$name: no screenshot"
}
echo "--- playing the new game"
play "$GAME" fresh

echo "--- editing it as an author"
# A sound made from the first run's output, brought as Ogg Vorbis, and a picture from
# the sample background as PNG, each through its converter.
"$BUILD/mirelune-convert" wav "$work/fresh.wav" "$work/vorbis.wav" || fail "convert wav (PCM)"
# The Ogg stream stands last in a Vorbis WAVE: cut out, it is the .ogg an author brings.
offset=$(grep -obUa OggS "$work/vorbis.wav" | head -1 | cut -d: -f1)
[ -n "$offset" ] || fail "no Ogg stream in the converted sound"
tail -c +$((offset + 1)) "$work/vorbis.wav" >"$work/theme.ogg"
"$BUILD/mirelune-convert" wav "$work/theme.ogg" "$GAME/wav/bgm01.wav" || fail "convert wav (Ogg)"
"$BUILD/mirelune-convert" topng "$GAME/cg/bg01.bmp" "$work/room.png" || fail "convert topng"
"$BUILD/mirelune-convert" frompng "$GAME/cg/bg02.bmp" "$work/room.png" || fail "convert frompng .bmp"
"$BUILD/mirelune-convert" frompng "$GAME/cg/bg03.png" "$work/room.png" 2>/dev/null && fail "frompng wrote a .png"
cat >>"$GAME/src/start.scr" <<'EOF'
bgm1 bgm01
bg1_cf bg02
vo ""
夏の終わり〜秋のはじめ—もう一度、窓を開けた。
ret
EOF
"$BUILD/mirelune-convert" script "$GAME/src/start.scr" "$GAME/scr/start.scr" || fail "convert script"
"$BUILD/mirelune-lint" "$GAME" || fail "the edited game does not pass mirelune-lint"
play "$GAME" edited

echo "--- packing it"
SHIP="$work/ship"
mkdir -p "$SHIP/scr"
for f in "$GAME"/src/*.scr; do
  "$BUILD/mirelune-convert" script "$f" "$SHIP/scr/$(basename "$f")" --scramble || fail "convert --scramble"
done
cp "$GAME/scr/gamedata.txt" "$SHIP/scr/" || fail "copy the game data"
"$BUILD/mirelune-pack" create "$SHIP/scr.dat" "$SHIP"/scr/*.scr "$SHIP/scr/gamedata.txt" >/dev/null || fail "pack scr.dat"
rm -r "$SHIP/scr"
"$BUILD/mirelune-pack" create --lzss "$SHIP/cg.dat" "$GAME"/cg/* >/dev/null || fail "pack cg.dat"
"$BUILD/mirelune-pack" create "$SHIP/wav.dat" "$GAME"/wav/* >/dev/null || fail "pack wav.dat"
"$BUILD/mirelune-lint" "$SHIP" || fail "the packed game does not pass mirelune-lint"
play "$SHIP" packed
cmp -s "$work/edited.wav" "$work/packed.wav" || fail "the packed game sounds different from the loose one"
echo "newgame: made, edited, checked, packed and played"
