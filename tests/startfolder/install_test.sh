#!/usr/bin/env bash
# Installs the build into a temporary prefix, runs the launcher's first-use step for a temporary
# user, and checks the per-user start folder: seeded once, never overwritten, and a page made in
# it shows its formulas from the installed MathJax with no network.
# Usage: install_test.sh BUILD-FOLDER STARTFOLDER-TEST-SCRIPT
set -uo pipefail
build=$1
script=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefijo
home=$tmp/casa
source "$(dirname "$0")/checks.sh"

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  tail -n 20 "$tmp/install.log"
  failed=1
  finish
fi

share=$prefix/share/velloq
url="file://$share/mathjax"
check "o lançador está instalado" test -x "$prefix/bin/velloq"
check "velloq-gerar está instalado" test -x "$prefix/bin/velloq-gerar"
check "oxserver está instalado" test -x "$prefix/bin/oxserver"
if grep -q '^VELLOQ_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
  check "o editor está instalado" test -x "$prefix/libexec/velloq/velloq"
fi
check "o modelo aponta para o MathJax instalado" grep -q "'$url'" "$share/modeloMat.mdl"
check "a lista de fórmulas aponta para o MathJax instalado" grep -q "'$url'" "$share/help/formulas.htm"
check "o MathJax está instalado" test -f "$share/mathjax/mathjax/startup.js"
check "as fontes do MathJax estão instaladas" compgen -G "$share/mathjax/@mathjax/mathjax-newcm-font/chtml/woff2/*.woff2"
check "o manual está instalado" test -f "$share/help/velloq.htm"
check "a entrada de menu é válida" desktop-file-validate "$prefix/share/applications/org.velloq.Velloq.desktop"
check "os metadados AppStream são válidos" appstreamcli validate --no-net --pedantic \
  "$prefix/share/metainfo/org.velloq.Velloq.metainfo.xml"
check "o ícone está instalado" test -f "$prefix/share/icons/hicolor/scalable/apps/org.velloq.Velloq.svg"

# First use, for a user with no data folder yet.
mkdir -p "$home"
start=$(env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/velloq" --preparar)
check "a pasta do usuário fica em ~/.local/share/velloq" test "$start" = "$home/.local/share/velloq"
check "a pasta do usuário tem o modelo" cmp "$share/modeloMat.mdl" "$start/modeloMat.mdl"
check "a pasta de trabalho tem o modelo" cmp "$share/modeloMat.mdl" "$start/textos/modeloMat.mdl"
for f in "$share"/textos/*; do
  check "a pasta de trabalho tem $(basename "$f")" cmp "$f" "$start/textos/$(basename "$f")"
done
check "a ajuda é a instalada" test "$(readlink -f "$start/help")" = "$(readlink -f "$share/help")"
check "o servidor de fala responde pela pasta do usuário" \
  bash -c "test -n \"\$('$start/oxserver' --ler 'x^2')\""
check "a pasta do usuário pode ser escrita" touch "$start/textos/novo.vloq"

# A second start keeps the user's work and puts back what went missing.
printf 'Meu texto\r\n' >"$start/textos/aula.vloq"
rm "$start/help" "$start/modeloMat.mdl"
env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/velloq" --preparar >/dev/null
check "o texto do usuário não é sobrescrito" grep -q 'Meu texto' "$start/textos/aula.vloq"
check "a ajuda volta" test -f "$start/help/velloq.htm"
check "o modelo volta" test -f "$start/modeloMat.mdl"
check "XDG_DATA_HOME é respeitado" \
  test "$(XDG_DATA_HOME="$tmp/dados" HOME="$home" "$prefix/bin/velloq" --preparar)" = "$tmp/dados/velloq"

# A page made in the user's folder shows its formulas from the installed copy, offline.
cp "$share/textos/geometria.vloq" "$start/textos/"
if (cd "$start/textos" && "$prefix/bin/velloq-gerar" geometria.vloq); then
  out=$(node "$script" pagina "$start/textos/geometria.htm")
  echo "$out" | grep '^FALHOU' || true
  n_ok=$(echo "$out" | sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1/p')
  n_bad=$(echo "$out" | sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\2/p')
  passed=$((passed + ${n_ok:-0}))
  failed=$((failed + ${n_bad:-1}))
else
  failed=$((failed + 1)); echo "FALHOU: velloq-gerar na pasta do usuário"
fi
finish
