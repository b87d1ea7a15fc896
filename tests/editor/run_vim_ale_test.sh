#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the docs' Vim 9 and ALE set-up as the vimrc, then vim_ale_test.vim,
# in an Ex-mode Vim with a fresh home directory.
# Usage: run_vim_ale_test.sh VIM SERVER TEST_DIR EDITORS_PAGE
set -euo pipefail
vim=$1
server=$2
dir=$3
page=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$dir/extract_snippet.py" "$page" \
  '" quelmix-config-lsp for *.cfg files (Vim 9 with ALE)' >"$work/vimrc"
export PATH="$(cd "$(dirname "$server")" && pwd):$PATH"
export QUELMIX_WORK=$work HOME=$work
timeout 90 "$vim" -N -u "$work/vimrc" -i NONE -es -S "$dir/vim_ale_test.vim" </dev/null
