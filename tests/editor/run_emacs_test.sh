#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs README's eglot set-up, then emacs_eglot_test.el, in a batch Emacs
# with a fresh home directory.
# Usage: run_emacs_test.sh EMACS SERVER TEST_DIR README
set -euo pipefail
emacs=$1
server=$2
dir=$3
readme=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$dir/extract_snippet.py" "$readme" \
  ";; quelmix-config-lsp for *.cfg files (eglot)" >"$work/setup.el"
export PATH="$(cd "$(dirname "$server")" && pwd):$PATH"
export QUELMIX_WORK=$work HOME=$work
timeout 90 "$emacs" --batch -l "$work/setup.el" -l "$dir/emacs_eglot_test.el"
