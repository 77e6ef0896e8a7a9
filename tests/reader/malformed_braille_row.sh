#!/usr/bin/env bash
# Each malformed row added to a copy of the braille table makes the word-table tool fail and name
# the file; the copy as it is passes.
set -u
tool=$1 words=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/words" "$dir/out/reader"
cp "$words"/*.tsv "$dir/words/"
"$tool" "$dir/words" "$dir/out" || { echo "the table as it is was refused"; exit 1; }
status=0
for row in $'x\t7\tletras' $'x\t21\tletras' $'x\t\tletras' $'sinal:dois nomes\t1\tletras' $'nenhum_sinal\t1\tletras' \
           $'+\t1\toperações' $'x\t1' $'sinal:numero\t3456\tnúmeros'; do
  cp "$words/braille.tsv" "$dir/words/braille.tsv"
  printf '%s\n' "$row" >> "$dir/words/braille.tsv"
  if "$tool" "$dir/words" "$dir/out" 2>"$dir/err"; then
    echo "accepted: $row"; status=1
  elif ! grep -q 'braille.tsv' "$dir/err"; then
    echo "no file named for: $row"; status=1
  fi
done
exit $status
