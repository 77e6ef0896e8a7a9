#!/usr/bin/env bash
# Checks ARCHITECTURE.md against the tree: each folder or file it names in backquotes exists,
# no Qt-free library includes a Qt header, and no editor command includes the main window.
set -euo pipefail
root=$1
map="$root/ARCHITECTURE.md"
failed=0
fail() { echo "FALHOU: $*"; failed=1; }

# Paths in backquotes: folders end with "/", files have a folder and an extension.
while IFS= read -r path; do
  [[ -e "$root/$path" ]] || fail "ARCHITECTURE.md names $path, which does not exist"
done < <(grep -o '`[A-Za-z_./-]*`' "$map" | tr -d '`' | grep -E '^[a-z]+(/[A-Za-z_.-]+)*(/|\.[a-z]+)$' | sort -u)

for folder in platform generator reader speech oxserver editor/state editor/catalogue; do
  if hits=$(grep -rlE '#include <Q' "$root/$folder" --include='*.cpp' --include='*.h'); then
    fail "$folder is Qt-free but includes Qt: $hits"
  fi
done

if hits=$(grep -rl 'editor/window/mainwindow.h' "$root/editor" --include='*.cpp' --include='*.h' |
          grep -v '/editor/window/'); then
  fail "commands take EditorParts, not the main window: $hits"
fi

exit $failed
