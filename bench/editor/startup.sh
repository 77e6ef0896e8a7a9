#!/usr/bin/env bash
# Start-up time of the editor: process start to main window on screen, 10 runs, median, next to
# an empty Qt window as baseline. Runs on a private X server.
#   bench/editor/startup.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build}/bin
for f in velloq velloq_startup_bench velloq_bench_bare_window; do
  [ -x "$bin/$f" ] || { echo "$bin/$f is missing: build first" >&2; exit 1; }
done
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$bin/velloq_startup_bench" 10 "$PWD/$bin/velloq" "$PWD/$bin/velloq_bench_bare_window"
