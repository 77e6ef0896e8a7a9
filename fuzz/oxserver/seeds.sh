#!/usr/bin/env bash
# Writes the seed corpora of the formula server's and the reader's fuzz targets into DIR/read, DIR/framing, DIR/explore
# (one file per formula of the catalogue and of the readings tables), DIR/braille (those and the
# braille examples), DIR/numbers and DIR/words.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
data="$here/../../tests"
out="${1:?usage: seeds.sh DIR}"
mkdir -p "$out/read" "$out/framing" "$out/numbers" "$out/explore" "$out/words" "$out/braille"
n=0
while IFS=$'\t' read -r first second third; do
  [[ -z "$first" || "$first" == \#* ]] && continue
  formula="${third:-$first}"  # catalogue rows: group, entry, formula; readings: formula, reading
  n=$((n + 1))
  printf '%s' "$formula" > "$out/read/seed$n"
  printf '%s' "$formula" > "$out/explore/seed$n"
  printf '%s' "$formula" > "$out/braille/seed$n"
  # framing seeds: a piece size, a limit selector, then requests with line ends and garbage
  printf '\x03\x01lixo`%s`\r\n`%s`' "$formula" "$formula" > "$out/framing/seed$n"
done < <(cat "$data/oxserver/catalogue.tsv" "$data"/reader/readings/*.tsv)
# the braille examples: formula, cells, family
while IFS=$'\t' read -r formula rest; do
  [[ -z "$formula" || "$formula" == \#* ]] && continue
  n=$((n + 1))
  printf '%s' "$formula" > "$out/braille/seed$n"
done < "$data/reader/braille.tsv"
# numbers and units as Brazilians write them
i=0
for number in "3.250,75" "4.500.000" "0,bar(6)" "1,2(3)" "0,666..." "0,1212..." "2.5" "12,5%" \
              "cm" "km/h" "m/s^2" "m²" "°C" "mL" "min" "kg" "t" "m^3"; do
  i=$((i + 1))
  printf '%s' "$number" > "$out/numbers/seed$i"
done
# the reader's word tables, each after a byte that chooses how many fields a row has
i=0
for table in "$here"/../../reader/words/*.tsv; do
  i=$((i + 1))
  { printf '\x05'; cat "$table"; } > "$out/words/seed$i"
done
echo "$n seeds in $out"
