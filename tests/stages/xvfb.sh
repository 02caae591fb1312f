#!/usr/bin/env bash
# The real-window test: the SDL program under Xvfb (dummy audio) on a small game whose
# first script shows a solid-colour background, waits and runs out. Screenshots of the X
# screen must show the menu bar above the game area and the picture's colour inside it,
# the keyboard help over the running game, then the script-error dialog that reports
# the end of the script while the help is still open, gone again after Esc; F12 must write the shown frame as a PNG; resized to 1600x1200 and 1000x700 the
# frame must be scaled with its aspect kept; Alt+F4 and "Y" answer the exit question, and the program must end with status 0
# and leave its settings file behind. Every failed check is listed. Everything is
# bounded in time; the program is killed if it does not end by itself.
#
# Usage: tests/stages/xvfb.sh BUILD_DIR
set -u

BUILD=${1:?usage: xvfb.sh BUILD_DIR}
BUILD=$(cd "$BUILD" && pwd)
BIN="$BUILD/mirelune"
HERE=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

fail() { echo "xvfb: FAIL: $*"; exit 1; }

if [ "${2:-}" != "--inside" ]; then
  [ -x "$BIN" ] || fail "$BIN is missing (was the build made with MIRELUNE_SDL=OFF?)"
  for tool in xvfb-run xwd convert xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
  done
  WORK=$(mktemp -d)
  trap 'rm -rf "$WORK"' EXIT
  export XVFB_WORK="$WORK"
  timeout 120 xvfb-run -a -s "-screen 0 2048x1536x24 -nolisten tcp" bash "$HERE" "$BUILD" --inside
  status=$?
  [ $status -eq 124 ] && fail "the test did not finish within 120 s"
  exit $status
fi

# ---- inside the X server ----
WORK=${XVFB_WORK:?}
GAME="$WORK/game"
mkdir -p "$GAME/scr" "$GAME/cg" "$WORK/run"

# The script file's first byte is its scramble marker ("N": plain text). The picture
# shows for twelve seconds; then the script runs out, which debug mode reports in the
# script-error dialog.
printf 'N\r\nbg1 test\r\nwait 12\r\n' > "$GAME/scr/open.scr"
# cg/test.bmp: 800x600, 24 bits, every pixel red 200, green 40, blue 120.
{
  printf 'BM\x36\xf9\x15\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x20\x03\x00\x00\x58\x02\x00\x00\x01\x00\x18\x00'
  printf '\x00\x00\x00\x00\x00\xf9\x15\x00\x13\x0b\x00\x00\x13\x0b\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00'
  yes $'\x78\x28\xc8' | tr -d '\n' | head -c 1440000
} > "$GAME/cg/test.bmp"
[ "$(stat -c %s "$GAME/cg/test.bmp")" = 1440054 ] || fail "could not write the test picture"

export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$WORK/run"  # the single-instance lock of this run only
export XDG_PICTURES_DIR="$WORK/pictures"  # F12's screenshots
"$BIN" --game "$GAME" OpenDebugMode >"$WORK/game.log" 2>&1 &
PID=$!
cleanup() {
  if kill -0 "$PID" 2>/dev/null; then
    kill "$PID" 2>/dev/null
    sleep 1
    kill -9 "$PID" 2>/dev/null
  fi
}
trap cleanup EXIT
failures=()
check() { echo "xvfb: FAIL: $*"; failures+=("$*"); }
finish() {
  if [ ${#failures[@]} -ne 0 ]; then
    echo "--- program output"
    cat "$WORK/game.log"
    exit 1
  fi
  echo "xvfb: window, menu bar, picture, F12 screenshot, resized window, keyboard help over the running game, script-error dialog and exit question checked"
  exit 0
}
fatalCheck() {
  check "$*"
  finish
}

# Wait for the window.
WID=""
for _ in $(seq 1 200); do
  kill -0 "$PID" 2>/dev/null || fatalCheck "the program ended before showing its window"
  WID=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | head -1)
  [ -n "$WID" ] || WID=$(xdotool search --onlyvisible --class mirelune 2>/dev/null | head -1)
  [ -n "$WID" ] && break
  sleep 0.1
done
[ -n "$WID" ] || fatalCheck "no window appeared within 20 s"
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
sleep 1  # the picture shows for twelve seconds from the start

eval "$(xdotool getwindowgeometry --shell "$WID")"  # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 800 ] || fatalCheck "window width $WIDTH, expected 800"
MENU=$((HEIGHT - 600))
{ [ "$MENU" -ge 12 ] && [ "$MENU" -le 40 ]; } ||
  fatalCheck "window height $HEIGHT: the menu bar above the 800x600 game area would be $MENU pixels"

shoot() {
  xwd -root -silent -out "$WORK/shot.xwd" && convert "xwd:$WORK/shot.xwd" "$WORK/$1.png"
}
# "R G B" of one pixel of a screenshot.
pixel() {
  convert "$WORK/$1.png" -crop "1x1+$2+$3" -depth 8 \
    -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:
}
near() {  # near "R G B" R G B
  local r g b
  read -r r g b <<<"$1"
  [ $((r > $2 ? r - $2 : $2 - r)) -le 24 ] && [ $((g > $3 ? g - $3 : $3 - g)) -le 24 ] &&
    [ $((b > $4 ? b - $4 : $4 - b)) -le 24 ]
}
light() {  # light "R G B": a light grey or white of the menus and dialogs
  local r g b
  read -r r g b <<<"$1"
  [ "$r" -ge 170 ] && [ "$g" -ge 170 ] && [ "$b" -ge 170 ]
}

shoot picture || fatalCheck "xwd or convert failed"
# The menu bar: a light band across the top of the window (its captions aside).
bar=$(pixel picture $((X + 780)) $((Y + MENU / 2)))
light "$bar" || check "no menu bar: pixel at the top right of the window is ($bar)"
# The game area shows the background picture, corners included.
for spot in "400 300" "2 2" "797 597"; do
  read -r gx gy <<<"$spot"
  px=$(pixel picture $((X + gx)) $((Y + MENU + gy)))
  near "$px" 200 40 120 || check "game area at ($gx, $gy) is ($px), expected the picture's (200 40 120)"
done

# F12 writes the frame as shown into the pictures folder, named after the game.
xdotool key F12
for _ in $(seq 1 50); do
  grep -q "mirelune: screenshot " "$WORK/game.log" && break
  sleep 0.1
done
shots=("$WORK"/pictures/Mirelune/game-*.png)
if [ -s "${shots[0]}" ]; then
  px=$(convert "${shots[0]}" -crop "1x1+400+300" -depth 8 \
    -format '%[fx:int(255*r+.5)] %[fx:int(255*g+.5)] %[fx:int(255*b+.5)]' info:)
  near "$px" 200 40 120 || check "the F12 screenshot shows ($px), expected the picture's (200 40 120)"
  grep -q "mirelune: screenshot " "$WORK/game.log" || check "F12 did not say where the screenshot went"
else
  check "F12 wrote no screenshot into $WORK/pictures/Mirelune/"
fi

# Resized, the window shows the frame scaled with its aspect kept: 2x sharp in
# 1600x1200, 1x centred between black bars in 1000x700; the mouse still hits the game.
resized() {  # resized W H: the game area's size, then the window's shot
  xdotool windowmove "$WID" 0 0
  xdotool windowsize --sync "$WID" "$1" $(($2 + MENU)) 2>/dev/null || xdotool windowsize "$WID" "$1" $(($2 + MENU))
  sleep 0.7
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  shoot "resized-$1" || fatalCheck "xwd or convert failed"
}
resized 1600 1200
for spot in "4 4" "1595 1195" "800 600"; do
  read -r gx gy <<<"$spot"
  px=$(pixel resized-1600 $((X + gx)) $((Y + MENU + gy)))
  near "$px" 200 40 120 || check "1600x1200 window at ($gx, $gy) is ($px), expected the picture"
done
resized 1000 700
bar=$(pixel resized-1000 $((X + 50)) $((Y + MENU + 350)))
near "$bar" 0 0 0 || check "1000x700 window: no black bar at the left, ($bar)"
for spot in "102 52" "898 648"; do
  read -r gx gy <<<"$spot"
  px=$(pixel resized-1000 $((X + gx)) $((Y + MENU + gy)))
  near "$px" 200 40 120 || check "1000x700 window at ($gx, $gy) is ($px), expected the picture"
done
resized 800 600

# The keyboard help (menu "ヘルプ", "キーボード説明") does not hold the game: it shows over
# the picture, and the script goes on and runs out while it stays open.
xdotool mousemove $((X + 365)) $((Y + MENU / 2)) click 1
sleep 0.5
xdotool mousemove $((X + 400)) $((Y + MENU + 40)) click 1
sleep 0.7
shoot help || fatalCheck "xwd or convert failed"
px=$(pixel help $((X + 400)) $((Y + MENU + 300)))
light "$px" || check "the keyboard help did not open over the game: its middle is ($px)"
px=$(pixel help $((X + 100)) $((Y + MENU + 300)))
near "$px" 200 40 120 || check "beside the keyboard help the game area is ($px), expected the picture"

# The script runs out while the help is open: the script-error dialog opens in the
# middle of the window, over the help (its lower part lies below the help).
for _ in $(seq 1 150); do
  grep -q 'ScriptError: 最後まで実行しました' "$WORK/game.log" && break
  sleep 0.1
done
grep -q 'ScriptError: 最後まで実行しました' "$WORK/game.log" || check "the end of the script was not reported"
sleep 0.5
shoot dialog || fatalCheck "xwd or convert failed"
dlg=$(pixel dialog $((X + 400)) $((Y + MENU + 470)))
light "$dlg" || check "no script-error dialog in the window: its middle is ($dlg)"
# Esc closes it; the game goes on.
xdotool key Escape
sleep 0.5
shoot closed || fatalCheck "xwd or convert failed"
after=$(pixel closed $((X + 400)) $((Y + MENU + 470)))
light "$after" && check "the script-error dialog did not close on Esc"

# Alt+F4 asks the exit question; Y answers it.
xdotool key --clearmodifiers alt+F4
sleep 1
kill -0 "$PID" 2>/dev/null || fatalCheck "the program ended on Alt+F4 without asking"
xdotool key y
for _ in $(seq 1 100); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fatalCheck "the program did not end after the exit question was answered"
wait "$PID"
status=$?
[ $status -eq 0 ] || check "exit status $status"
grep -q 'MessageBox: \[確認\] 本当に終了してもよろしいですか？ -> Yes' "$WORK/game.log" ||
  check "the exit question was not asked"
[ -s "$GAME/mirelune.ini" ] || check "no settings file was written at exit"
grep -q '^\[Display\]' "$GAME/mirelune.ini" 2>/dev/null || check "the settings file has no [Display] section"
finish
