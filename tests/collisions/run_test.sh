#!/usr/bin/env bash
# The collision check over the fixed seed, skipped (exit 77) where node or MathJax is missing.
# Usage: run_test.sh SOURCE-ROOT VELLOQ-COLISOES FORMULAS SEED [--braille]
set -u
root=$1 reader=$2 count=$3 seed=$4
shift 4
if ! command -v node >/dev/null 2>&1; then
  echo "node não está instalado: teste pulado"
  exit 77
fi
if [ ! -f "$root/node_modules/mathjax/node-main.cjs" ]; then
  echo "falta o MathJax em $root/node_modules (npm ci): teste pulado"
  exit 77
fi
known=$root/tests/collisions/known_collisions.tsv
[ "${1:-}" = "--braille" ] && known=$root/tests/collisions/known_braille_collisions.tsv
exec node "$root/tools/collisions/collisions.js" --verificar --leitor "$reader" --formulas "$count" --semente "$seed" \
     --equivalencias "$root/tests/collisions/equivalences.tsv" --conhecidas "$known" "$@"
