#!/usr/bin/env bash
# The demo game end to end: build it with the author tools, check its scripts with
# mirelune-lint, then play it headless on a copy of its folder and fail on any error
# the player would have seen. Usage: tests/stages/demo.sh BUILD_FOLDER
set -u
BUILD=${1:?usage: demo.sh BUILD_FOLDER}
JOBS=${JOBS:-2}
RUN_SECONDS=${DEMO_RUN_SECONDS:-900}
cd "$(dirname "$0")/../.."

echo "--- building the demo game"
cmake --build "$BUILD" --target demo mirelune mirelune-lint mirelune-pack -j "$JOBS" || exit 1
GAME="$BUILD/demo"
GAME_BIN="$BUILD/mirelune"

echo "--- mirelune-lint $GAME"
if ! "$BUILD/mirelune-lint" "$GAME"; then
  echo "demo: the scripts have problems (see above)"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A fresh copy of the game folder per run: runs write saves and the read-status file.
copy_game() {
  local to=$1
  mkdir -p "$to"
  cp -r "$GAME/." "$to/" && rm -rf "$to/CMakeFiles" "$to/cmake_install.cmake" "$to/.demo-built"
}

# A runner that cannot read the archives yet cannot start a packed game: then play a
# copy with every archive unpacked into loose files, and say so.
copy_game "$work/probe"
"$GAME_BIN" --headless --game "$work/probe" --steps 1 >/dev/null 2>"$work/probe.log"
unpack=0
if grep -q 'open\.scr' "$work/probe.log" && grep -q 'オープンできません\|ファイルが存在しない' "$work/probe.log"; then
  unpack=1
  echo "demo: NOTE: this mirelune does not read scr.dat yet; playing a copy with the archives unpacked"
fi

prepare() {
  local to=$1
  copy_game "$to"
  if [ $unpack -eq 1 ]; then
    # The override archive first: its entries win over the main archive's.
    for archive in scr.dat arc2.cg cg.dat wav.dat; do
      [ -e "$to/$archive" ] || continue
      local dir
      case $archive in
        scr.dat) dir=scr ;;
        wav.dat) dir=wav ;;
        *) dir=cg ;;
      esac
      mkdir -p "$to/$dir" "$to/unpacked"
      "$BUILD/mirelune-pack" extract "$to/$archive" "$to/unpacked" >/dev/null || return 1
      # Loose files already there win, as they do over an archive.
      cp -n "$to/unpacked"/* "$to/$dir/"
      rm -rf "$to/unpacked" "$to/$archive"
    done
  fi
}

help=$("$GAME_BIN" --headless --help 2>&1 || true)
runs=()
if grep -q -- '--autoplay' <<<"$help"; then
  if grep -q -- '--choose' <<<"$help"; then
    runs+=("--autoplay --choose first --seed 1" "--autoplay --choose last --seed 1"
           "--autoplay --choose random --seed 7")
  else
    runs+=("--autoplay --seed 1")
  fi
  to_the_end=1
  # Autoplay answers the title menu itself: start at the first visit, and end (the
  # exit question answered Yes) when the story has come back to the title.
  if grep -q -- '--input' <<<"$help"; then
    # One run played by hand: every window button, the keys, hiding, dragging, the
    # jump to the next choice and both choices, to the end of the story.
    runs+=("--seed 1 --input tests/stages/demo_buttons.input")
    # The save and load round trip through the save/load screen.
    runs+=("--autoplay --choose first --seed 1 --input $PWD/demo/input/save_load.txt")
  fi
elif grep -q -- '--frames' <<<"$help"; then
  # Nobody turns the pages: the run stops at the first page after 400 frames.
  echo "demo: NOTE: this mirelune has no --autoplay yet; only the start of the game is run (--frames 400)"
  runs+=("--frames 400 --seed 1")
  to_the_end=0
else
  echo "demo: NOTE: this mirelune has no --autoplay yet; only the start of the game is run (--steps 60)"
  runs+=("--steps 60 --seed 1")
  to_the_end=0
fi

status=0
n=0
for options in "${runs[@]}"; do
  n=$((n + 1))
  dir="$work/run$n"
  prepare "$dir" || { echo "demo: could not prepare $dir"; status=1; continue; }
  echo "--- mirelune --headless --game <copy> $options"
  start=$SECONDS
  # shellcheck disable=SC2086
  timeout "$RUN_SECONDS" "$GAME_BIN" --headless --game "$dir" $options >"$dir.out" 2>"$dir.err"
  rc=$?
  echo "    finished in $((SECONDS - start)) s with status $rc"
  if [ $rc -eq 124 ]; then
    echo "demo: the run did not end within $RUN_SECONDS s"
    tail -5 "$dir.err"
    status=1
    continue
  fi
  [ $rc -eq 0 ] || { echo "demo: exit status $rc"; status=1; }
  # The story ends where its last script ends; the engine says so once, and that one
  # report is the expected end of the run.
  grep -E '^(ScriptError|SystemError):' "$dir.err" >"$dir.reports" || true
  end_line='^ScriptError: 最後まで実行しました'
  # Or the story came back to the title and autoplay ended the game there.
  quit_line='^MessageBox: \[確認\] 本当に終了してもよろしいですか？ -> Yes'
  if grep -v -E "$end_line" "$dir.reports" >"$dir.bad"; then
    echo "demo: errors during the run:"
    cat "$dir.bad"
    status=1
  fi
  # The save/load run: the comment dialog was answered, and a save that was written
  # has both thumbnails beside it.
  if [[ $options == *save_load.txt* ]]; then
    if ! grep -q '^Dialog: \[コメントの入力\]' "$dir.err"; then
      echo "demo: the save screen's comment dialog never opened"
      status=1
    fi
    if [ ! -e "$dir/Save001.dat" ] || [ ! -e "$dir/Save001s.bmp" ] || [ ! -e "$dir/Save001b.bmp" ]; then
      echo "demo: the save screen did not write Save001.dat with its two thumbnails"
      status=1
    fi
  fi
  if [ $to_the_end -eq 1 ] && ! grep -q -E "$end_line" "$dir.reports" && ! grep -q -E "$quit_line" "$dir.err"; then
    echo "demo: the run stopped before the end of the story"
    tail -5 "$dir.err"
    status=1
  fi
done
# The extras after a play-through: on the folder of the first autoplay run (its system
# save holds what the story unlocked), the title's extras button opens the gallery, the
# recollection of the memory scene and the music room, then the option screen; the run
# must end without a report.
if [ -f "$work/run1/Save000.dat" ] && grep -q -- '--input' <<<"$help"; then
  echo "--- mirelune --headless --game <first run's folder> --input demo/extras.input"
  timeout "$RUN_SECONDS" "$GAME_BIN" --headless --game "$work/run1" --seed 1 --input demo/extras.input \
    >"$work/extras.out" 2>"$work/extras.err"
  rc=$?
  [ $rc -eq 0 ] || { echo "demo: the extras run ended with status $rc"; tail -5 "$work/extras.err"; status=1; }
  if grep -E '^(ScriptError|SystemError):' "$work/extras.err" >"$work/extras.bad"; then
    echo "demo: errors during the extras run:"
    cat "$work/extras.bad"
    status=1
  fi
fi
# The backlog by hand (no autoplay): paging back, a voice replayed and the story
# continued from an earlier page, then left waiting; the run must end without a report.
if grep -q -- '--input' <<<"$help" && grep -q -- '--autoplay' <<<"$help"; then
  dir="$work/backlog"
  if prepare "$dir"; then
    echo "--- mirelune --headless --game <copy> --input tests/stages/demo_backlog.input"
    timeout "$RUN_SECONDS" "$GAME_BIN" --headless --game "$dir" --seed 1 --input tests/stages/demo_backlog.input \
      >"$dir.out" 2>"$dir.err"
    rc=$?
    [ $rc -eq 0 ] || { echo "demo: the backlog run ended with status $rc"; tail -5 "$dir.err"; status=1; }
    if grep -E '^(ScriptError|SystemError):' "$dir.err" >"$dir.bad"; then
      echo "demo: errors during the backlog run:"
      cat "$dir.bad"
      status=1
    fi
  else
    echo "demo: could not prepare $dir"
    status=1
  fi
fi
# The title menu by hand (an input script, no autoplay): every button, the exit
# question answered No, then a new game, which waits at its first page until the run's
# idle minute ends it.
if grep -q -- '--input' <<<"$help" && grep -q -- '--dump-state' <<<"$help"; then
  dir="$work/title"
  if prepare "$dir"; then
    echo "--- mirelune --headless --game <copy> --input tests/stages/demo_title.input"
    timeout "$RUN_SECONDS" "$GAME_BIN" --headless --game "$dir" --input tests/stages/demo_title.input --seed 1 \
      --dump-state "$dir.state" >"$dir.out" 2>"$dir.err"
    rc=$?
    [ $rc -eq 0 ] || { echo "demo: title menu run: exit status $rc"; status=1; }
    if grep -E '^(ScriptError|SystemError):' "$dir.err" >"$dir.bad"; then
      echo "demo: title menu run: errors:"
      cat "$dir.bad"
      status=1
    fi
    if ! grep -q -E '^MessageBox: \[確認\] 本当に終了してもよろしいですか？ -> No' "$dir.err"; then
      echo "demo: title menu run: the end button did not ask"
      status=1
    fi
    # The new game went on into the prologue.
    if [ "$(dd if="$dir.state" bs=1 skip=8 count=8 2>/dev/null)" != "prologue" ]; then
      echo "demo: title menu run: the start button did not start the story"
      tail -5 "$dir.err"
      status=1
    fi
  else
    echo "demo: could not prepare $dir"
    status=1
  fi
fi
exit $status
