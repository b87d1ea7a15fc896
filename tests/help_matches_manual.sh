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
# The exit statuses, when --help states them: --help and the page name the
# same causes of failure.
help_exit=$("$tool" --help | sed -n '/^Exit status/,$p' | tr '\n' ' ')
page_exit=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' "$page" | sed 's/\\-/-/g' | tr '\n' ' ')
for cause in ${help_exit:+'read' 'writ' 'memory' 'usage\|command line'}; do
  in_help=$(grep -c "$cause" <<<"$help_exit" || true)
  in_page=$(grep -c "$cause" <<<"$page_exit" || true)
  if [ $((in_help > 0)) != $((in_page > 0)) ]; then
    echo "exit status: --help and $page differ on '$cause'"
    echo "$help_exit"
    exit 1
  fi
done
echo "$(echo "$from_help" | wc -l) options in both"
