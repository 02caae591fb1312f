#!/usr/bin/env bash
# The install test: `cmake --install` into a temporary prefix must give the programs, the
# demo game, the desktop entry (naming the installed program and demo), the icon in
# every theme size, AppStream data that appstreamcli accepts and the man page. The
# installed program then plays a read-only copy of the installed demo headless; its
# settings and read marks must land in the data folder, and nothing in the copy.
# Usage: tests/stages/install.sh BUILD_FOLDER
set -u
BUILD=${1:?usage: install.sh BUILD_FOLDER}
JOBS=${JOBS:-2}
cd "$(dirname "$0")/../.."

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() { echo "install: FAIL: $*"; failures=$((failures + 1)); }

cmake --build "$BUILD" -j "$JOBS" --target mirelune mirelune-pack mirelune-convert mirelune-lint \
  mirelune-assetgen >/dev/null || { echo "install: FAIL: build"; exit 1; }
if ! cmake --install "$BUILD" --prefix "$prefix" >"$work/install.log" 2>&1; then
  tail -20 "$work/install.log"
  echo "install: FAIL: cmake --install"
  exit 1
fi

for f in bin/mirelune bin/mirelune-pack bin/mirelune-convert bin/mirelune-lint bin/mirelune-assetgen; do
  [ -x "$prefix/$f" ] || fail "$f is not installed"
done
for f in share/mirelune/demo/scr.dat share/applications/mirelune.desktop share/man/man6/mirelune.6 \
         share/metainfo/io.github.mirelune.Mirelune.metainfo.xml; do
  [ -s "$prefix/$f" ] || fail "$f is not installed"
done
leftovers=$(find "$prefix/share/mirelune/demo" -name CMakeFiles -o -name '*.cmake' -o -name '.demo-built')
[ -z "$leftovers" ] || fail "build files installed with the demo: $leftovers"
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/mirelune.png"
  [ -s "$icon" ] || { fail "no ${size}x${size} icon"; continue; }
  # PNG width and height are the big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $dims"
done

desktop="$prefix/share/applications/mirelune.desktop"
grep -qx "Exec=\"$prefix/bin/mirelune\" --game \"$prefix/share/mirelune/demo\"" "$desktop" ||
  fail "the desktop entry does not start the installed demo: $(grep ^Exec "$desktop")"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/io.github.mirelune.Mirelune.metainfo.xml" ||
    fail "appstreamcli refuses the metainfo file"
else
  fail "appstreamcli is not installed (scripts/install-deps.sh --test installs it)"
fi
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/mirelune.6" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the man page has warnings: $warnings"
fi
"$prefix/bin/mirelune" --version | grep -q '^mirelune ' || fail "the installed program has no --version"

# A read-only copy of the installed demo, played by the installed program.
game="$work/Mirelune Demo"
cp -r "$prefix/share/mirelune/demo" "$game"
chmod -R a-w "$game"
export XDG_DATA_HOME="$work/data"
before=$(ls -lA "$game")
timeout 120 "$prefix/bin/mirelune" --headless --game "$game" --autoplay --seed 1 --frames 600 \
  >"$work/run.out" 2>"$work/run.err"
status=$?
[ $status -eq 0 ] || { fail "the installed demo ended with status $status"; tail -5 "$work/run.err"; }
grep -E '^(ScriptError|SystemError):' "$work/run.err" && fail "the run reported errors"
saves=$(ls -d "$XDG_DATA_HOME"/mirelune/Mirelune_Demo-* 2>/dev/null)
[ -n "$saves" ] || fail "no data folder under $XDG_DATA_HOME/mirelune/"
[ -s "$saves/mirelune.ini" ] || fail "no settings file in the data folder"
[ -s "$saves/SaveXXX.dat" ] || fail "no read marks in the data folder"
[ "$(ls -lA "$game")" = "$before" ] || fail "the read-only game folder changed"
"$prefix/bin/mirelune" --help --game "$game" | grep -qF "$saves" || fail "--help does not name the data folder"

[ $failures -eq 0 ] || exit 1
echo "install: programs, demo, desktop entry, icons, metainfo, man page; the read-only demo saved into $saves"
