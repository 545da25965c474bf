#!/usr/bin/env bash
# Fails when a folder of src/ includes from a folder after it in the layer order, or when the
# algebra core (src/algebra outside actions/) includes the editor or the typesetter.
set -euo pipefail
cd "$(dirname "$0")/.."
order=(model numeric text raster typeset editor algebra graph document cli app)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

status=0
while IFS= read -r file; do
  folder=${file#src/}
  folder=${folder%%/*}
  [ -n "${rank[$folder]:-}" ] || { echo "layers: $file is in a folder outside the layer order"; status=1; continue; }
  core=0
  case "$file" in src/algebra/actions/*) ;; src/algebra/*) core=1 ;; esac
  while IFS=: read -r line target; do
    used=${target%%/*}
    [ -n "${rank[$used]:-}" ] || continue
    if [ "${rank[$used]}" -gt "${rank[$folder]}" ]; then
      echo "layers: $file:$line includes from $used/, a later layer than $folder/"
      status=1
    elif [ $core -eq 1 ] && { [ "$used" = editor ] || [ "$used" = typeset ]; }; then
      echo "layers: $file:$line: the algebra core includes $used/"
      status=1
    fi
  done < <(grep -nE '^\s*#\s*include\s*"[a-z0-9_]+/' "$file" | sed -E 's/^([0-9]+):\s*#\s*include\s*"([^"]+)".*/\1:\2/')
done < <(find src -name '*.h' -o -name '*.cpp' -o -name '*.def' -o -name '*.inc' | sort)
exit $status
