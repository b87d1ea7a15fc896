#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the docs' Neovim set-up, then neovim_test.lua, in a headless Neovim
# with no user configuration; and the Vim syntax file's test.
# Usage: run_neovim_test.sh NVIM SERVER TEST_DIR EDITORS_PAGE EDITORS_DIR
set -euo pipefail
nvim=$1
server=$2
dir=$3
readme=$4
editors=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$dir/extract_snippet.py" "$readme" \
  "-- quelmix-config-lsp for *.cfg files (Neovim 0.7 or later)" >"$work/setup.lua"
export PATH="$(cd "$(dirname "$server")" && pwd):$PATH"
export QUELMIX_WORK=$work XDG_STATE_HOME=$work XDG_DATA_HOME=$work \
  XDG_CONFIG_HOME=$work
timeout 90 "$nvim" --headless --clean -n -c "luafile $work/setup.lua" \
  -c "luafile $dir/neovim_test.lua"
QUELMIX_EDITORS=$editors timeout 60 "$nvim" --headless --clean -n \
  -c "luafile $dir/vim_syntax_test.lua"
