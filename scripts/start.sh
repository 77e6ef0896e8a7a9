#!/usr/bin/env bash
# Starts the built program in the start folder that the build assembled (build/inicio: the
# template, the help, the sample documents, the formula speech server and MathJax), so that the
# work folder is build/inicio/textos.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ ! -x build/bin/velloq ] || [ ! -d build/inicio ]; then
  echo "O Velloq ainda não foi compilado em build/ (./run compila antes de iniciar)." >&2
  exit 1
fi
cd build/inicio
exec "$root/build/bin/velloq" "$@"
