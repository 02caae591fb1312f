#!/usr/bin/env bash
# The layers only point down: platform <- media <- engine <- scene <- app. A file may
# include its own layer and the layers below it, never one above. The linker enforces
# the same (one library per layer); this catches a header-only upward include too.
# Usage: tests/stages/layers.sh [BUILD_FOLDER] (the folder is not used)
set -u
cd "$(dirname "$0")/../.."

status=0
check() {
  local layer=$1 forbidden=$2
  local hits
  hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]+\"($forbidden)/" "$layer" \
           --include='*.h' --include='*.cpp' 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "layers: $layer/ includes a layer above it:"
    echo "$hits"
    status=1
  fi
}
check platform 'media|engine|scene|app|tools'
check media 'engine|scene|app|tools'
check engine 'scene|app|tools'
check scene 'app|tools'
check app 'tools'

# The shared vocabulary is defined once: the Shift-JIS lead-byte range and the
# little/big-endian field readers live in platform/.
lead=$(grep -rnE "0x81 && [a-z]+ <= 0xA0|>= 0x81 && .*<= 0x9F" platform media engine scene app tools \
         --include='*.h' --include='*.cpp' | grep -v '^platform/sjis.h:')
if [ -n "$lead" ]; then
  echo "layers: a Shift-JIS lead-byte test outside platform/sjis.h:"
  echo "$lead"
  status=1
fi

[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
