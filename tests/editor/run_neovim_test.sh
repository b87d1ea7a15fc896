#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs neovim_test.lua in a headless Neovim with no user configuration.
# Usage: run_neovim_test.sh NVIM SERVER TEST_DIR
set -euo pipefail
nvim=$1
server=$2
dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QUELMIX_LSP=$server QUELMIX_WORK=$work XDG_STATE_HOME=$work \
  XDG_DATA_HOME=$work XDG_CONFIG_HOME=$work \
  timeout 90 "$nvim" --headless --clean -n -c "luafile $dir/neovim_test.lua"
