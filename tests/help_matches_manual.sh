#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The options --help lists and the options the manual page describes are
# the same set, so neither drifts from the other.
# Usage: help_matches_manual.sh TOOL MANUAL_PAGE
set -euo pipefail
tool=$1
page=$2
options() { grep -oE '(^|[ ,[])--?[A-Za-z][A-Za-z-]*' | sed -E 's/^[ ,[]//' | sort -u; }
from_help=$("$tool" --help | options)
# The page's own markup: "\-" is a minus, and .B/.BR/.BI lines name options.
from_page=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | sed 's/\\-/-/g; s/\\f[BIRP]//g' |
  grep -E '^\.(B|BR|BI|TP)' | sed -E '/^\.BI /s/ //g; s/^\.BI//; s/^\.[A-Z]+ //; s/"//g' |
  options)
if [ "$from_help" != "$from_page" ]; then
  diff <(echo "$from_help") <(echo "$from_page") || true
  echo "--help and $page list different options"
  exit 1
fi
echo "$(echo "$from_help" | wc -l) options in both"
