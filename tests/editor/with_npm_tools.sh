#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs COMMAND with "@npm@" in its arguments replaced by the folder where
# `npm ci` installed tests/editor/npm: $QUELMIX_NPM_TOOLS when the test runs,
# else the folder named when the build was configured. Without node or
# without those packages the test is skipped (status 77), with the reason.
# Usage: with_npm_tools.sh configured=FOLDER COMMAND ARGUMENT...
set -euo pipefail
configured=${1#configured=}
tools=${QUELMIX_NPM_TOOLS:-$configured}
shift
if ! command -v node >/dev/null 2>&1; then
  echo "skipped: node is not installed"
  exit 77
fi
if [ -z "$tools" ] || [ ! -d "$tools/node_modules" ]; then
  echo "skipped: the npm packages are not installed (run npm ci in a copy" \
    "of tests/editor/npm and name it in QUELMIX_NPM_TOOLS)"
  exit 77
fi
command=()
for argument in "$@"; do
  command+=("${argument//@npm@/$tools}")
done
exec "${command[@]}"
