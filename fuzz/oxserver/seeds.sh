#!/usr/bin/env bash
# Writes the seed corpora of the oxserver fuzz targets into DIR/read and DIR/framing: one file
# per formula of the catalogue and of the readings table.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
data="$here/../../tests/oxserver"
out="${1:?usage: seeds.sh DIR}"
mkdir -p "$out/read" "$out/framing"
n=0
while IFS=$'\t' read -r first second third; do
  [[ -z "$first" || "$first" == \#* ]] && continue
  formula="${third:-$first}"  # catalogue rows: group, entry, formula; readings: formula, reading
  n=$((n + 1))
  printf '%s' "$formula" > "$out/read/seed$n"
  # framing seeds: a piece size, a limit selector, then requests with line ends and garbage
  printf '\x03\x01lixo`%s`\r\n`%s`' "$formula" "$formula" > "$out/framing/seed$n"
done < <(cat "$data/catalogue.tsv" "$data/readings.tsv")
echo "$n seeds in $out"
