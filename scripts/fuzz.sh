#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan and UBSan) and runs each for the given number
# of seconds (default 60), with its dictionary and seeds: the generator's from the documents of
# the examples file, the formula server's from its seeds script, the settings' from a few
# settings files. With target names after the seconds, runs only those. Corpora stay in
# build-fuzz/corpus, whole logs in build-fuzz/logs; the last lines of each run (executions,
# coverage) are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
# Only the fuzz targets are built: the tests of this configuration run in the sanitizer build.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELLOQ_FUZZ=ON -DVELLOQ_SANITIZE=ON -DVELLOQ_GUI=OFF \
  -DVELLOQ_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
all=($(cmake --build build-fuzz --target help | sed -n 's/^\.\.\. \(.*fuzz_[a-z_]*\)$/\1/p'))
cmake --build build-fuzz -j"$(nproc)" --target "${all[@]}" >build-fuzz/build.log 2>&1 ||
  { tail -n 60 build-fuzz/build.log >&2; exit 1; }
corpus=$PWD/build-fuzz/corpus
logs=$PWD/build-fuzz/logs
mkdir -p "$corpus/generate" "$corpus/profile" "$logs"

# Seeds for the generator: every document of the examples file, in the encoding it is written.
python3 - "$corpus/generate" <<'PY'
import sys, pathlib
out = pathlib.Path(sys.argv[1]); doc = None; encoding = "cp1252"; n = 0
def flush():
    global n
    if doc is not None:
        (out / f"seed{n}").write_bytes("\r\n".join(doc).encode(encoding, "replace")); n += 1
for line in open("tests/generator/cases.txt", encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("--- ") or line.startswith("=== "):
        flush()
        doc = [] if line.startswith("--- document") else None
        encoding = "utf-8" if line.endswith(" utf8") else "cp1252"
    elif doc is not None:
        doc.append(line)
flush()
PY
# Seeds for the formula server's targets: the catalogue and the readings table.
fuzz/oxserver/seeds.sh "$corpus" >/dev/null
# Seeds for the settings files.
printf '[VELLOQ]\r\nARQMODELO=modeloMat.mdl\r\nAUTOR=Fulano de Tal\r\nCONTATO=fulano@exemplo.com.br\r\n' \
  > "$corpus/profile/seed1"
printf '; nota\r\n[outra]\r\nx=1\r\n [ velloq ] \r\nautor = "Ana"\r\narq1=/home/ana/textos\r\nPASTAPADRAO=\r\n' \
  > "$corpus/profile/seed2"

failed=0
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  name=${t##*fuzz_}
  mkdir -p "$corpus/$name"
  # The dictionary beside the target's source: one named after it, else its folder's only one.
  source=$(ls fuzz/*/"fuzz_$name.cpp" 2>/dev/null | head -n 1 || true)
  dict=""
  if [ -n "$source" ]; then
    folder=$(dirname "$source")
    if [ -f "$folder/$name.dict" ]; then
      dict=$PWD/$folder/$name.dict
    elif [ "$(ls "$folder"/*.dict 2>/dev/null | wc -l)" -eq 1 ]; then
      dict=$PWD/$(ls "$folder"/*.dict)
    fi
  fi
  echo "== $t for ${seconds}s, seeds $(ls "$corpus/$name" | wc -l), dictionary ${dict:-none}"
  build-fuzz/bin/$t -max_total_time="$seconds" -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
    ${dict:+-dict=$dict} "$corpus/$name" >"$logs/$name.log" 2>&1 || { tail -n 40 "$logs/$name.log"; failed=1; }
  grep -aE '^#[0-9]+[[:space:]]+DONE|^Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb' "$logs/$name.log" || true
done
exit $failed
