#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The options --help lists, the options the manual page describes and, when
# a documentation page is given, the options of that page's option table
# (the table whose first column is "option") are the same set, so none
# drifts from the others.
# Usage: help_matches_manual.sh TOOL MANUAL_PAGE [DOCS_PAGE]
set -euo pipefail
tool=$1
page=$2
docs=${3:-}
options() { grep -oE '(^|[ ,[`])--?[A-Za-z][A-Za-z-]*' | sed -E 's/^[ ,[`]//' | sort -u; }
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
if [ -n "$docs" ]; then
  # The options --help lists in its option lines (not those its prose
  # mentions), and the first cell of each row of the page's table headed
  # "| option |".
  listed=$("$tool" --help | grep -E '^ +-' | sed -E 's/^ +(-[^ ,]+(, -[^ ]+)?).*/ \1/' | options)
  from_docs=$(awk '/^\| option \|/{t=1; next} t && !/^\|/{t=0} t' "$docs" |
    grep -v '^|---' | cut -d'|' -f2 | options)
  if [ "$listed" != "$from_docs" ]; then
    diff <(echo "$listed") <(echo "$from_docs") || true
    echo "--help and $docs list different options"
    exit 1
  fi
fi
echo "$(echo "$from_help" | wc -l) options in both${docs:+ and the docs}"
