#!/usr/bin/env bash
# Starts the built program. Until the editor window exists, it generates the sample document
# of share/textos and prints the page's path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ -x build/bin/velloq ]; then
  cd share
  exec "$root/build/bin/velloq" "$@"
fi
out=$(mktemp -d)
cp share/textos/* "$out"/
cp share/*.mdl "$out"/ 2>/dev/null || true
cd "$out"
"$root/build/bin/velloq-gerar" aula.vloq
echo "$out/aula.htm"
