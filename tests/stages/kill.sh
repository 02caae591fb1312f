#!/usr/bin/env bash
# The kill test: a headless run of the demo is killed with SIGKILL at random points, most
# of them inside its shutdown writes, many times over. Afterwards each file it writes
# ("SaveXXX.dat", "mirelune.ini") must be byte for byte either the old version that was
# there before or the new one an unkilled run writes - never a mixture, never cut short -
# and the next start must load them without a report and leave none of our temporaries
# behind. Usage: tests/stages/kill.sh BUILD_FOLDER
#   KILL_ITERATIONS (default 60), KILL_SEED (default: the process id) to repeat a run.
set -u
BUILD=${1:?usage: kill.sh BUILD_FOLDER}
JOBS=${JOBS:-2}
ITERATIONS=${KILL_ITERATIONS:-60}
SEED=${KILL_SEED:-$$}
cd "$(dirname "$0")/../.."

echo "--- building the demo game"
cmake --build "$BUILD" --target demo mirelune -j "$JOBS" >/dev/null || exit 1
GAME_BIN="$BUILD/mirelune"
RUN=(--autoplay --seed 1 --frames 100)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A pipe nobody writes to: "read -t" on it is a sleep of microseconds without a process.
mkfifo "$work/never"
exec 9<>"$work/never"
game="$work/game"
mkdir -p "$game"
# The archives are only read: hard links where the file system allows them.
cp -al "$BUILD/demo/." "$game/" 2>/dev/null || cp -r "$BUILD/demo/." "$game/"
rm -rf "$game/CMakeFiles" "$game/cmake_install.cmake" "$game/.demo-built" "$game/SaveXXX.dat" "$game/mirelune.ini"

# Recognisable old versions. The old read-status file is large (800 scripts of 4096
# read marks, some 3.3 MB), so that writing it takes long enough to be hit; the new one
# keeps those records and adds the demo's. The old settings file lacks most keys, so
# the run's exit writes a new one.
marks=$(head -c 4096 /dev/zero | tr '\0' '\001')
{
  for i in $(seq 1 800); do
    printf 'old\\s%03d.scr\0' "$i"
    printf '%s' "$marks"
    printf '\377'
  done
} >"$work/old.SaveXXX.dat"
printf '; the old settings of the kill test\r\n[Volume]\r\nBgm=42\r\n' >"$work/old.mirelune.ini"
FILES=(SaveXXX.dat mirelune.ini)

restore_old() {
  local f
  for f in "${FILES[@]}"; do
    rm -f "$game/$f"
    cp "$work/old.$f" "$game/$f"
  done
}

temporaries() { compgen -G "$game/.*.mltmp-*" || true; }
# The same without a subshell, fast enough to poll for the first temporary.
has_temporaries() { compgen -G "$game/.*.mltmp-*" >/dev/null; }

# The new versions: what an unkilled run writes, the same twice over.
for ref in 1 2; do
  restore_old
  start=$EPOCHREALTIME
  if ! "$GAME_BIN" --headless --game "$game" "${RUN[@]}" >/dev/null 2>"$work/ref.err"; then
    echo "kill: the unkilled run failed"; cat "$work/ref.err"; exit 1
  fi
  ref_us=$(( (${EPOCHREALTIME/./} - ${start/./}) ))
  for f in "${FILES[@]}"; do
    if [ $ref -eq 1 ]; then
      cp "$game/$f" "$work/new.$f"
      if cmp -s "$work/new.$f" "$work/old.$f"; then echo "kill: the run did not rewrite $f"; exit 1; fi
    elif ! cmp -s "$game/$f" "$work/new.$f"; then
      echo "kill: two unkilled runs wrote different $f; the test needs a deterministic run"; exit 1
    fi
  done
done
echo "--- an unkilled run takes $((ref_us / 1000)) ms; $ITERATIONS killed runs (seed $SEED)"

# How long the shutdown writes take: from the first temporary of ours to the exit.
restore_old
"$GAME_BIN" --headless --game "$game" "${RUN[@]}" >/dev/null 2>&1 &
pid=$!
while kill -0 $pid 2>/dev/null && ! has_temporaries; do :; done
seen=$EPOCHREALTIME
wait $pid
writes_us=$(( (${EPOCHREALTIME/./} - ${seen/./}) ))
[ $writes_us -lt 1000 ] && writes_us=1000
echo "--- the shutdown writes take about $((writes_us / 1000)) ms"

RANDOM=$SEED
status=0
during=0
declare -A outcome=()
started=$SECONDS
for ((i = 1; i <= ITERATIONS; i++)); do
  restore_old
  "$GAME_BIN" --headless --game "$game" "${RUN[@]}" >/dev/null 2>&1 &
  pid=$!
  if ((i % 5 == 0)); then
    # Anywhere in the run, its start and end included.
    delay=$(( (RANDOM * 32768 + RANDOM) % (ref_us * 12 / 10) ))
  else
    # Within the shutdown writes: once the first temporary appears, a random moment
    # up to their usual length (and the exit after them) later; every other time within
    # the first eighth of it, where the large read-status file is being written.
    while kill -0 $pid 2>/dev/null && ! has_temporaries; do :; done
    span=$(( i % 2 == 0 ? writes_us : writes_us / 8 + 1 ))
    delay=$(( (RANDOM * 32768 + RANDOM) % span ))
  fi
  read -r -t "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))" -u 9 _ || true
  kill -KILL $pid 2>/dev/null
  wait $pid 2>/dev/null
  has_temporaries && during=$((during + 1))

  verdict=""
  for f in "${FILES[@]}"; do
    if cmp -s "$game/$f" "$work/old.$f"; then
      verdict+="$f old, "
    elif cmp -s "$game/$f" "$work/new.$f"; then
      verdict+="$f new, "
    else
      echo "kill: run $i (killed after ${delay} us): $f is neither the old nor the new version ($(stat -c %s "$game/$f" 2>/dev/null || echo missing) bytes)"
      status=1
      verdict+="$f BROKEN, "
    fi
  done
  outcome["${verdict%, }"]=$(( ${outcome["${verdict%, }"]:-0} + 1 ))

  # The next start reads both files without a report and removes the temporaries.
  if ! "$GAME_BIN" --headless --game "$game" --steps 1 >/dev/null 2>"$work/next.err" ||
      grep -q '^SystemError:' "$work/next.err"; then
    echo "kill: run $i: the next start failed or reported:"; cat "$work/next.err"
    status=1
  fi
  if has_temporaries; then
    echo "kill: run $i: temporaries left after the next start:"; temporaries
    status=1
  fi
done

echo "--- $ITERATIONS killed runs in $((SECONDS - started)) s; $during killed inside a write (a temporary left behind)"
for k in "${!outcome[@]}"; do echo "    ${outcome[$k]} x $k"; done
exit $status
