#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, once: packages already present are
# skipped, so a second run costs a dpkg query and nothing else.
set -euo pipefail

packages=(
  cmake g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libxcb1-dev xvfb xauth imagemagick xdotool
  speech-dispatcher speech-dispatcher-espeak-ng libspeechd-dev espeak-ng libespeak-ng-dev sox
  chromium fonts-dejavu-core liblouis-dev liblouis-data pkg-config
  nodejs desktop-file-utils appstream
)
# npm comes with some builds of nodejs and as a package of its own with Debian's.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando pacotes: ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  if ! "${sudo_cmd[@]}" apt-get install -y --no-install-recommends -qq "${missing[@]}" >/dev/null; then
    "${sudo_cmd[@]}" apt-get update -qq >/dev/null
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends -qq "${missing[@]}" >/dev/null
  fi
fi

# MathJax for the start folder, as pinned by package-lock.json; fetched again only when the lock
# file changes.
root=$(cd "$(dirname "$0")/.." && pwd)
stamp=$root/node_modules/.velloq-lock
if ! cmp -s "$root/package-lock.json" "$stamp"; then
  (cd "$root" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  cp "$root/package-lock.json" "$stamp"
fi
