#!/usr/bin/env bash
# The demo's first play from a clean folder draws no page in the read colour: every
# page has a read mark of its own. Usage: tests/stages/readmarks.sh BUILD_FOLDER
set -u
BUILD=${1:?usage: readmarks.sh BUILD_FOLDER}
JOBS=${JOBS:-2}
cd "$(dirname "$0")/../.."
cmake --build "$BUILD" --target demo test_shell -j "$JOBS" || exit 1
MIRELUNE_DEMO_DIR="$BUILD/demo" "$BUILD/test_shell" --gtest_filter='DemoFirstPlay.*'
