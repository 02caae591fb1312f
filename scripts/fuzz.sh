#!/usr/bin/env bash
# `make fuzz`: builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# (default 300), growing a corpus per target in fuzz/work/<target>/ (not committed;
# seeded from fuzz/corpus/<target>/). Prints per target the executions and the final
# coverage; any finding (crash, leak, timeout, memory over the limit) is kept in
# fuzz/work/findings/ and makes the run fail.
#   FUZZ_TARGETS="bmp psd"   only these targets (names without fuzz_)
#   FUZZ_PARALLEL=2          targets run side by side
set -u
cd "$(dirname "$0")/.."

BUILD_FUZZ=${BUILD_FUZZ:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-300}
FUZZ_PARALLEL=${FUZZ_PARALLEL:-1}
WORK=fuzz/work

CC=clang CXX=clang++ cmake -S . -B "$BUILD_FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIRELUNE_FUZZ=ON -DMIRELUNE_SDL=OFF -DMIRELUNE_BENCH=OFF -DMIRELUNE_TESTS=OFF >/dev/null &&
  cmake --build "$BUILD_FUZZ" --target fuzz_all -j "$JOBS" || exit 1

targets=()
for src in fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  name=${name#fuzz_}
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $name "* ]]; then continue; fi
  targets+=("$name")
done

mkdir -p "$WORK/findings" "$WORK/logs"
run_one() {
  local name=$1 corpus="$WORK/$1"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && cp -rn "fuzz/corpus/$name"/. "$corpus"/ 2>/dev/null
  "$BUILD_FUZZ/fuzz_$name" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=25 \
    -print_final_stats=1 -artifact_prefix="$WORK/findings/${name}-" "$corpus" \
    >"$WORK/logs/$name.log" 2>&1
  echo $? >"$WORK/logs/$name.rc"
}

running=0
for name in "${targets[@]}"; do
  echo "--- fuzz_$name (${FUZZ_SECONDS} s)"
  run_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$FUZZ_PARALLEL" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '\n%-14s %14s %8s %8s  %s\n' target executions cov corpus result
for name in "${targets[@]}"; do
  log="$WORK/logs/$name.log"
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  files=$(find "$WORK/$name" -type f | wc -l)
  rc=$(cat "$WORK/logs/$name.rc" 2>/dev/null || echo 1)
  result=ok
  if [ "$rc" != 0 ]; then result="FINDING (see $log)"; status=1; fi
  printf '%-14s %14s %8s %8s  %s\n' "fuzz_$name" "${execs:-?}" "${cov:-?}" "$files" "$result"
done
exit $status
