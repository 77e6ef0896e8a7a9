#!/usr/bin/env bash
# The speech tests' list of the catalogue's formulas (tests/oxserver/catalogue.tsv) is made from
# the catalogue file: one row per entry, in menu order, of its submenu, its name (the caption
# before the first backquote, blanks cut) and its formula (between the first two backquotes).
# Rebuild it with: catalogue_test.sh <root> --write
set -uo pipefail
root=$1
derived=$(awk '
  BEGIN { print "# The 233 formulas of the editor'"'"'s formula menu, in menu order: submenu, entry, formula"
          print "# (the text between the first pair of backquotes of the entry). UTF-8, tab-separated." }
  /^# / { group = substr($0, 3); next }
  group == "" || $0 == "" || $0 == "-" { next }
  { tick = index($0, "`"); name = substr($0, 1, tick - 1); sub(/[ \t]+$/, "", name)
    rest = substr($0, tick + 1); formula = substr(rest, 1, index(rest, "`") - 1)
    print group "\t" name "\t" formula }' "$root/editor/catalogue/catalogue.txt")
if [[ "${2:-}" == --write ]]; then
  printf '%s\n' "$derived" >"$root/tests/oxserver/catalogue.tsv"
  exit 0
fi
if ! diff <(printf '%s\n' "$derived") "$root/tests/oxserver/catalogue.tsv"; then
  echo "FALHOU: tests/oxserver/catalogue.tsv is not what editor/catalogue/catalogue.txt gives; rebuild it with --write"
  exit 1
fi
