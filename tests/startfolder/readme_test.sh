#!/usr/bin/env bash
# Follows the README's "Primeiros passos" as a newcomer would, in a fresh clone of the sources:
# every command it shows is there as written, every path it names exists once built, and its
# terminal example works when typed literally. Nothing is rebuilt: the clone borrows the
# programs of the build folder and a copy of its start folder.
# Usage: readme_test.sh SOURCE-FOLDER BUILD-FOLDER
set -uo pipefail
source=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$(dirname "$0")/checks.sh"

clone=$tmp/velloq
if ! git clone -q "$source" "$clone" 2>"$tmp/clone.log"; then
  cat "$tmp/clone.log"
  failed=1
  finish
fi
mkdir -p "$clone/build"
ln -s "$build/bin" "$clone/build/bin"
cp -a "$build/inicio" "$clone/build/inicio"
rm -f "$clone"/build/inicio/textos/*.htm

# The section, its command lines (code blocks, comments dropped) and the build paths it names.
section=$(awk '/^## Primeiros passos/ { on = 1; next } /^## / { on = 0 } on' "$clone/README.md")
commands=$(printf '%s\n' "$section" | awk '/^```/ { block = !block; next } block' |
           sed -e 's/[[:space:]]*#.*$//' -e '/^[[:space:]]*$/d')
check "o README tem a seção Primeiros passos" test -n "$section"
check "os primeiros passos mostram ./run e ./test" \
  bash -c 'grep -qx "./run" <<<"$1" && grep -qx "./test" <<<"$1"' _ "$commands"
check "os primeiros passos vêm antes da parte dos desenvolvedores" \
  bash -c 'a=$(grep -n "^## Primeiros passos" "$1" | cut -d: -f1); b=$(grep -n "^## For developers" "$1" | cut -d: -f1); [ "$a" -lt "$b" ]' \
  _ "$clone/README.md"

ran=0
while IFS= read -r command; do
  case $command in
    '') ;;
    ./*)
      program=${command%% *}
      check "$command: o arquivo existe e é executável no clone" test -x "$clone/$program"
      check "$command: o script é bash válido" bash -n "$clone/$program"
      ;;
    *)
      ran=$((ran + 1))
      check "$command: roda como está escrito" bash -c "cd '$clone' && $command"
      ;;
  esac
done <<<"$commands"
check "os primeiros passos têm um exemplo para o terminal" test "$ran" -gt 0
page=$clone/build/inicio/textos/aula.htm
check "o exemplo escreveu aula.htm ao lado do documento" test -s "$page"
check "aula.htm traz as leituras das fórmulas" grep -q 'id="velloq-leituras">{"' "$page"

for named in $(printf '%s\n' "$section" | grep -o 'build/inicio/[A-Za-z0-9_./-]*[A-Za-z0-9_]' | sort -u); do
  check "$named existe depois de compilar" test -e "$clone/$named"
done
finish
