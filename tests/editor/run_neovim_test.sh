#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the docs' Neovim set-up, then neovim_test.lua, in a headless Neovim
# with no user configuration; and the Vim syntax file's test. A page given
# after them (README.md) must show the very same set-up.
# Usage: run_neovim_test.sh NVIM SERVER TEST_DIR EDITORS_PAGE EDITORS_DIR [PAGE]
set -euo pipefail
nvim=$1
server=$2
dir=$3
readme=$4
editors=$5
also=${6:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first="-- quelmix-config-lsp for *.cfg files (Neovim 0.7 or later)"
"$dir/extract_snippet.py" "$readme" "$first" >"$work/setup.lua"
if [ -n "$also" ]; then
  "$dir/extract_snippet.py" "$also" "$first" >"$work/also.lua"
  diff -u "$work/setup.lua" "$work/also.lua" ||
    { echo "$also shows another Neovim set-up than $readme"; exit 1; }
fi
export PATH="$(cd "$(dirname "$server")" && pwd):$PATH"
export QUELMIX_WORK=$work XDG_STATE_HOME=$work XDG_DATA_HOME=$work \
  XDG_CONFIG_HOME=$work
timeout 90 "$nvim" --headless --clean -n -c "luafile $work/setup.lua" \
  -c "luafile $dir/neovim_test.lua"
QUELMIX_EDITORS=$editors timeout 60 "$nvim" --headless --clean -n \
  -c "luafile $dir/vim_syntax_test.lua"
