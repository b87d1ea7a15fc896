#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# quelmix-config-diff as git's diff driver, set up with the docs' own lines
# (so that this breaks when docs/diff.md drifts), in a real repository: git diff
# and git log -p --ext-diff show record differences, and a pure reformat
# shows none.
# Usage: git_driver_test.sh DIFF_PAGE TOOLS_DIR
set -euo pipefail
page=$1
tools=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH="$tools:$PATH" HOME="$work" GIT_CONFIG_NOSYSTEM=1
fail() { echo "git driver: $*"; exit 1; }

setup=$(sed -n '/^# Record differences in git/,/^```/p' "$page" |
  grep -E '^(echo|git config)')
[ "$(echo "$setup" | wc -l)" -eq 2 ] || fail "the set-up lines of $page not found"

cd "$work"
git init -q repo && cd repo
git config user.email t@example.org && git config user.name t
eval "$setup"
printf '[camera parameter]\nSIZE = 1280, 720\n[register parameter]\nREG = 0x3008, 0x82\n' > camera.cfg
git add -A && git commit -qm first

printf '[camera parameter]\nSIZE=1280,720   ; w, h\n\n[register parameter]\nREG: 0x3008,0x82\n' > camera.cfg
[ -z "$(git diff)" ] || fail "a reformat shows a difference: $(git diff)"
git commit -qam reformat

printf '[camera parameter]\nSIZE = 1920, 720\n[register parameter]\nREG = 0x3008, 0x02\nREG = 0x3009, 1\n' > camera.cfg
shown=$(git diff)
echo "$shown" | grep -q 'SIZE width: 1280 → 1920' || fail "git diff: $shown"
echo "$shown" | grep -q 'REG 0x3008: 0x82 → 0x02' || fail "git diff: $shown"
git commit -qam change
history=$(git log -p --ext-diff)
echo "$history" | grep -q '+ REG 0x3009, 1' || fail "git log -p: $history"
reformat=$(git log -p --ext-diff -1 HEAD~1)
echo "$reformat" | grep -q '^---' && fail "git log -p shows the reformat: $reformat"
# Names git passes as they stand: a file named like an option, and one
# named "-", are files.
printf '[register parameter]\nREG = 1, 2\n' > ./-x.cfg
printf '[register parameter]\nREG = 3, 4\n' > ./-
printf -- '- diff=quelmix\n' >> .gitattributes
git add -A && git commit -qm dashes
printf '[register parameter]\nREG = 1, 5\n' > ./-x.cfg
printf '[register parameter]\nREG = 3, 6\n' > ./-
shown=$(git diff)
echo "$shown" | grep -q 'REG 1: 2 → 5' || fail "git diff of -x.cfg: $shown"
echo "$shown" | grep -q 'REG 3: 4 → 6' || fail "git diff of -: $shown"
echo "git driver: all checks passed"
