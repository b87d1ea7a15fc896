#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packages the extension into a .vsix: the grammar and the licence are
# copied in (the extension folder is all vsce packs), its one dependency
# installed, then @vscode/vsce packs it.
# Usage: package.sh OUTPUT.vsix TOOLS_DIR (TOOLS_DIR: where npm installed
# @vscode/vsce)
set -euo pipefail
out=$(realpath -m "$1")
tools=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/." "$work/"
rm -f "$work/package.sh"
mkdir -p "$work/syntaxes"
cp "$here/../textmate/quelmix.tmLanguage.json" "$work/syntaxes/"
cp "$here/../../LICENSE" "$work/LICENSE"
(cd "$work" && npm install --omit=dev --no-audit --no-fund --silent &&
  "$tools/node_modules/.bin/vsce" package --out "$out")
