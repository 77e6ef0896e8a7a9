#!/usr/bin/env bash
# Configures and builds into the folder given first, passing the other arguments to CMake.
# Quiet when all goes well; on a failure prints the end of the build log.
set -euo pipefail
dir=$1; shift
cd "$(dirname "$0")/.."
mkdir -p "$dir"
log="$dir/build.log"
if ! { cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j"$(nproc)"; } >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "A compilação falhou; o registro completo está em $log" >&2
  exit 1
fi
