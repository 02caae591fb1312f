#!/usr/bin/env bash
# Runs every test stage and ends with one summary line. A failing stage does not stop
# the later ones; the exit status is non-zero when any stage failed.
set -u
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
BUILD_ASAN=${BUILD_ASAN:-build-asan}
BUILD_FUZZ=${BUILD_FUZZ:-build-fuzz}
BUILD_RELEASE=${BUILD_RELEASE:-build-release}
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-10}

passed=()
failed=()
stage() {
  local name=$1; shift
  echo "=== $name"
  local start=$SECONDS
  if "$@"; then
    passed+=("$name")
    echo "=== $name: passed ($((SECONDS - start)) s)"
  else
    failed+=("$name")
    echo "=== $name: FAILED ($((SECONDS - start)) s)"
  fi
}

# Our own builds treat warnings as errors; a packager's plain Release build does not
# (stage build-release), and must still build and pass.
build_main() {
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELUNE_WERROR=ON >/dev/null &&
    cmake --build "$BUILD" -j "$JOBS"
}
unit_tests() { (cd "$BUILD" && ctest --output-on-failure -j "$JOBS"); }

build_release() {
  cmake -S . -B "$BUILD_RELEASE" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIRELUNE_BENCH=OFF >/dev/null &&
    cmake --build "$BUILD_RELEASE" -j "$JOBS"
}
release_tests() { (cd "$BUILD_RELEASE" && ctest --output-on-failure -j "$JOBS"); }

build_asan() {
  cmake -S . -B "$BUILD_ASAN" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRELUNE_SANITIZE=ON -DMIRELUNE_WERROR=ON \
    -DMIRELUNE_SDL=OFF -DMIRELUNE_BENCH=OFF >/dev/null &&
    cmake --build "$BUILD_ASAN" -j "$JOBS"
}
asan_tests() {
  (cd "$BUILD_ASAN" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$JOBS")
}

build_fuzz() {
  [ -n "$(ls fuzz/fuzz_*.cpp 2>/dev/null)" ] || return 0
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRELUNE_WERROR=ON \
    -DMIRELUNE_FUZZ=ON -DMIRELUNE_SDL=OFF -DMIRELUNE_BENCH=OFF -DMIRELUNE_TESTS=OFF >/dev/null &&
    cmake --build "$BUILD_FUZZ" --target fuzz_all -j "$JOBS"
}
run_fuzzers() {
  local ok=0
  for src in fuzz/fuzz_*.cpp; do
    [ -e "$src" ] || continue
    local name; name=$(basename "$src" .cpp)
    local corpus="fuzz/corpus/${name#fuzz_}"
    local work; work=$(mktemp -d)
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/ 2>/dev/null
    echo "--- $name (${FUZZ_SECONDS} s)"
    if ! "$BUILD_FUZZ/$name" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 \
        -print_final_stats=0 "$work" >"$work.log" 2>&1; then
      tail -40 "$work.log"; ok=1
    fi
    rm -rf "$work" "$work.log"
  done
  return $ok
}

extra_stages() {
  # Further stages (demo autoplay, real-window test, lint) live in tests/stages/*.sh and
  # receive the build folder as their argument.
  for s in tests/stages/*.sh; do
    [ -e "$s" ] || continue
    stage "$(basename "$s" .sh)" bash "$s" "$BUILD"
  done
}

stage build build_main
if [[ " ${failed[*]:-} " != *" build "* ]]; then
  stage unit-tests unit_tests
  extra_stages
fi
stage build-release build_release
if [[ " ${failed[*]:-} " != *" build-release "* ]]; then
  stage release-tests release_tests
fi
stage build-sanitizers build_asan
if [[ " ${failed[*]:-} " != *" build-sanitizers "* ]]; then
  stage sanitizer-tests asan_tests
fi
stage build-fuzzers build_fuzz
if [[ " ${failed[*]:-} " != *" build-fuzzers "* ]]; then
  stage fuzzers run_fuzzers
fi

echo
if [ ${#failed[@]} -eq 0 ]; then
  echo "make test summary: ${#passed[@]} stages passed, 0 failed (${passed[*]})"
  exit 0
else
  echo "make test summary: ${#passed[@]} stages passed, ${#failed[@]} failed (${failed[*]})"
  exit 1
fi
