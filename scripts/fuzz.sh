#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan and UBSan) and runs each for the given number
# of seconds (default 60), seeded from the test examples. Corpora stay in build-fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DVELLOQ_FUZZ=ON -DVELLOQ_SANITIZE=ON -DVELLOQ_GUI=OFF -DVELLOQ_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
corpus=$PWD/build-fuzz/corpus
mkdir -p "$corpus/generate"
# Seeds for the generator: every document of the examples file.
python3 - "$corpus/generate" <<'PY'
import sys, pathlib
out = pathlib.Path(sys.argv[1]); doc = None; n = 0
for line in open("tests/generator/cases.txt", encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("--- "):
        if doc is not None:
            (out / f"seed{n}").write_bytes("\r\n".join(doc).encode("cp1252", "replace")); n += 1
        doc = [] if line == "--- document" else None
    elif doc is not None:
        doc.append(line)
PY
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls build-fuzz/bin | grep '^fuzz_'))
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  mkdir -p "$corpus/$name"
  dict=$(ls "$PWD"/fuzz/*/"$name".dict 2>/dev/null | head -n 1 || true)
  echo "== $t for ${seconds}s"
  build-fuzz/bin/$t -max_total_time="$seconds" -rss_limit_mb=4096 -max_len=65536 \
    ${dict:+-dict=$dict} "$corpus/$name" 2>&1 | tail -n 3
done
