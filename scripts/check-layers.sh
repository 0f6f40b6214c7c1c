#!/usr/bin/env bash
# The layers of src/, bottom to top. A file may include headers of its own
# folder and of the folders below it, never of a folder above it, so the
# folders form no cycle. Prints every include that goes up (or names a folder
# that is no layer, or a folder of src/ missing from the list) and exits 1;
# exits 0 when the layering holds.
# Usage: check-layers.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
layers="common ui autoexec config desktop files printers workflow startup"

status=0
for folder in "$root"/src/*/; do
  name=$(basename "$folder")
  case " $layers " in
    *" $name "*) ;;
    *) echo "check-layers: src/$name is not in the list of layers" >&2; status=1 ;;
  esac
done

find "$root/src" -name '*.cpp' -o -name '*.h' | sort | while read -r file; do
  grep -Hn '^#include "[a-z0-9_]*/' "$file" || true
done | awk -v layers="$layers" -v root="$root/src/" '
  BEGIN { n = split(layers, names, " "); for (i = 1; i <= n; ++i) rank[names[i]] = i }
  {
    path = substr($0, length(root) + 1)
    split(path, from, "/")
    match($0, /#include "[a-z0-9_]*\//)
    to = substr($0, RSTART + 10, RLENGTH - 11)
    if (!(to in rank)) { print "check-layers: " path ": \"" to "/\" is no layer"; bad = 1 }
    else if (rank[to] > rank[from[1]]) { print "check-layers: " path ": " from[1] " includes " to ", a higher layer"; bad = 1 }
  }
  END { exit bad }' >&2 || status=1

[ $status -eq 0 ] && echo "check-layers: src/ keeps the layers $layers"
exit $status
