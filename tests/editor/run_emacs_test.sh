#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the docs' Emacs set-up for CLIENT (eglot or lsp-mode), then that
# client's test (emacs_eglot_test.el, emacs_lsp_mode_test.el), in a batch
# Emacs with a fresh home directory.
# Usage: run_emacs_test.sh EMACS SERVER TEST_DIR EDITORS_PAGE CLIENT
set -euo pipefail
emacs=$1
server=$2
dir=$3
page=$4
client=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$dir/extract_snippet.py" "$page" \
  ";; quelmix-config-lsp for *.cfg files ($client)" >"$work/setup.el"
export PATH="$(cd "$(dirname "$server")" && pwd):$PATH"
export QUELMIX_WORK=$work HOME=$work
timeout 90 "$emacs" --batch -l "$work/setup.el" \
  -l "$dir/emacs_${client//-/_}_test.el"
