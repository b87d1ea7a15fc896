#!/bin/sh
# SPDX-License-Identifier: MIT
# What --fix costs beside a plain check, in instructions (callgrind counts
# are deterministic; the machine need not be quiet): a generated 10k-line
# file with one fixable problem (a key in the wrong letter case), checked,
# and fixed in a copy.
#   bench/fix_cost.sh BUILD_DIR
# The goal: --fix at most 3.5 times the instructions of the check.
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/quelmix-bench-generate" 10000 > "$work/plain.cfg"
# One problem: the first CFG_MODE written in lower case.
sed '0,/^CFG_MODE/s//cfg_mode/' "$work/plain.cfg" > "$work/one.cfg"
count() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : *\([0-9]*\).*/\1/p'
}
cp "$work/one.cfg" "$work/fix.cfg"
check=$(count "$build/tools/quelmix-config-check" -q "$work/one.cfg" || true)
fix=$(count "$build/tools/quelmix-config-check" -q --fix "$work/fix.cfg" || true)
echo "check: $check instructions"
echo "--fix: $fix instructions"
awk -v a="$fix" -v b="$check" 'BEGIN { printf "ratio: %.2f\n", a / b }'
