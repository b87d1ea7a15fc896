#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The documentation's pictures are what their scripts draw from the sources
# kept beside them: the path of one call (docs/library.md) from
# call-path.txt, the load's cost (docs/performance.md) from the benchmark's
# JSON output in load-cost.json. Redraws both and
# compares them with the pictures in the tree, byte for byte.
# Usage: docs_figures_test.sh PYTHON FIGURES_DIR
set -euo pipefail
python=$1
figures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$python" "$figures/draw_call_path.py" "$figures/call-path.txt" "$work/call-path.svg"
"$python" "$figures/plot_load_cost.py" "$figures/load-cost.json" \
  "$work/load-cost.svg" >/dev/null
status=0
for picture in call-path.svg load-cost.svg; do
  if ! cmp -s "$work/$picture" "$figures/$picture"; then
    echo "$picture is not what its script draws from its source; redraw it"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "2 pictures as drawn"
exit "$status"
