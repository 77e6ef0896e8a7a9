#!/usr/bin/env bash
# Checks ARCHITECTURE.md against the tree: each folder or file it names in backquotes exists,
# no Qt-free library includes a Qt header, no editor command includes the main window, no
# action is connected but through OnAction or OnToggle, every include between folders is one
# the folder table allows, and neither the folders nor the source files (a header and its
# .cpp taken as one) include each other in a loop.
set -uo pipefail
root=$1
map="$root/ARCHITECTURE.md"
failed=0
fail() { echo "FALHOU: $*"; failed=1; }

# Paths in backquotes: folders end with "/", files have a folder and an extension.
while IFS= read -r path; do
  [[ -e "$root/$path" ]] || fail "ARCHITECTURE.md names $path, which does not exist"
done < <(grep -o '`[A-Za-z_./-]*`' "$map" | tr -d '`' | grep -E '^[a-z]+(/[A-Za-z_.-]+)*(/|\.[a-z]+)$' | sort -u)

for folder in platform settings generator reader speech oxserver editor/state editor/catalogue; do
  if hits=$(grep -rlE '#include <Q' "$root/$folder" --include='*.cpp' --include='*.h'); then
    fail "$folder is Qt-free but includes Qt: $hits"
  fi
done

if hits=$(grep -rl 'editor/mainwindow/mainwindow.h' "$root/editor" --include='*.cpp' --include='*.h' |
          grep -v '/editor/mainwindow/'); then
  fail "commands take EditorParts, not the main window: $hits"
fi

if hits=$(grep -rlE 'QAction::(triggered|toggled)' "$root/editor" "$root/app" --include='*.cpp' --include='*.h' |
          grep -v '/editor/window/editorparts.cpp$'); then
  fail "actions are connected only through OnAction and OnToggle (editor/window/editorparts.h): $hits"
fi

# The folder table: its first column names the folders of a row, its last the folders they
# may include (besides themselves).
declare -A allowed=()
folders=()
while IFS= read -r row; do
  IFS='|' read -r _ names _ includes _ <<<"$row"
  for name in $(grep -o '`[a-z/]*/`' <<<"$names" | tr -d '`'); do
    folders+=("$name")
    allowed[$name]=" $(grep -o '`[a-z/]*/`' <<<"$includes" | tr -d '`' | tr '\n' ' ')"
  done
done < <(sed -n '/^## Folders/,/^## /p' "$map" | grep '^| `')
[[ ${#folders[@]} -gt 10 ]] || fail "the folder table of ARCHITECTURE.md was not found"

# The table's folder that holds path: the longest that starts it.
folder_of() {
  local best="" name
  for name in "${folders[@]}"; do
    [[ "$1" == "$name"* && ${#name} -gt ${#best} ]] && best=$name
  done
  echo "$best"
}

folder_edges=$(mktemp)
unit_edges=$(mktemp)
trap 'rm -f "$folder_edges" "$unit_edges"' EXIT
cd "$root"
while IFS= read -r file; do
  from=$(folder_of "$file")
  [[ -n "$from" ]] || { fail "$file lies in no folder of the table"; continue; }
  echo "${file%.*} ${file%.*}" >>"$unit_edges"
  while IFS= read -r included; do
    [[ -e "$included" ]] || continue  # a header beside the file, or a generated one
    to=$(folder_of "$included")
    [[ "${file%.*}" != "${included%.*}" ]] && echo "${file%.*} ${included%.*}" >>"$unit_edges"
    [[ "$to" == "$from" ]] && continue
    echo "$from $to" >>"$folder_edges"
    may=${allowed[$from]}
    [[ -n "${may// /}" ]] || may=" nothing of ours"
    [[ "$may" == *" $to "* ]] || fail "$file includes $included: the table lets $from include only$may"
  done < <(sed -nE 's/^#include "([^"]+)".*/\1/p' "$file")
done < <(find platform settings generator reader speech oxserver editor app tools \
              -name '*.cpp' -o -name '*.h' | sort)

if ! loop=$(tsort "$folder_edges" 2>&1 >/dev/null) || [[ -n "$loop" ]]; then
  fail "folders include each other in a loop: $loop"
fi
if ! loop=$(tsort "$unit_edges" 2>&1 >/dev/null) || [[ -n "$loop" ]]; then
  fail "source files include each other in a loop: $loop"
fi

exit $failed
