#!/usr/bin/env bash
# Installs what is missing, builds, and runs the optimiser on a bundled example: the example
# is assembled once with our MpasmWin (over gputils' gpasm) and optimised at level 3; its code
# size is shown against the same program written with long forms only (examples/*_long.S). Usage: scripts/try-example.sh [EXAMPLE] [LEVEL]
set -euo pipefail
cd "$(dirname "$0")/.."
example=${1:-bit_flags}
level=${2:-3}
scripts/install-deps.sh
scripts/build.sh build >/dev/null
work=$(mktemp -d /tmp/velkar-example-XXXXXX)
cp "examples/$example.S" "examples/${example}_long.S" "$work/"
code_bytes() {  # program-memory bytes filled in an Intel hex file
  local record bytes=0 upper=0
  while IFS= read -r record; do
    record=${record%$'\r'}
    [ "${record:0:1}" = ":" ] || continue
    case "${record:7:2}" in
      04) upper=$((16#${record:9:4})) ;;
      00) [ "$upper" -lt 32 ] && bytes=$((bytes + 16#${record:1:2})) ;;
    esac
  done <"$1"
  echo "$bytes"
}
build/Includes/MpasmWin /e+ /l+ /x- /w2 /c- /m+ /q "$work/${example}_long.S"
build/Includes/MpasmWin /e+ /l+ /x- /w2 /c- /m+ /q "$work/$example.S"
build/velkar-optimiser "-l$level" "$work/$example.LST"
echo "$example: $(code_bytes "$work/${example}_long.hex") bytes of code in long forms," \
  "$(code_bytes "$work/$example.hex") bytes after velkar-optimiser -l$level"
echo "rewritten source: $work/$example.S"
echo "tidied listing:   $work/$example.LST"
