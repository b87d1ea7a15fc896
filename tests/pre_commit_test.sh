#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# pre-commit with the hooks of .pre-commit-hooks.yaml and the
# .pre-commit-config.yaml lines docs/project.md shows, offline, in a
# scratch repository: a file with a bad line is refused, a badly laid out
# one is formatted (and refused once), a formatted one passes.
# Usage: pre_commit_test.sh SOURCE_DIR TOOLS_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
tools_dir=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home PRE_COMMIT_HOME=$scratch/cache
export PATH=$tools_dir:$PATH
export GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@example.org
export GIT_COMMITTER_NAME=t GIT_COMMITTER_EMAIL=t@example.org
mkdir -p "$HOME"

# The hooks, as a repository pre-commit clones (from a path: offline).
hooks=$scratch/hooks
mkdir -p "$hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" init -q
git -C "$hooks" add .pre-commit-hooks.yaml
git -C "$hooks" commit -qm hooks
rev=$(git -C "$hooks" rev-parse HEAD)

# The documented configuration, with the scratch repository and revision.
project=$scratch/project
mkdir -p "$project"
sed -n '/^```yaml pre-commit$/,/^```$/p' "$source_dir/docs/project.md" |
  sed '1d;$d' |
  sed -E "s|repo: .*|repo: $hooks|; s|rev: .*|rev: $rev|" \
    >"$project/.pre-commit-config.yaml"
grep -q "id: quelmix-config-check" "$project/.pre-commit-config.yaml"
cd "$project"
git init -q
fail() { echo "FAILED: $*"; exit 1; }
run() { pre-commit run --files "$@" >"$scratch/out" 2>&1; }

printf '[camera parameter]\nTYPE = t\n[x\n' >bad.cfg
printf '[camera parameter]\nTYPE=t\n' >loose.cfg
printf '[camera parameter]\nTYPE = t\n' >good.cfg
git add .pre-commit-config.yaml ./*.cfg

if run bad.cfg; then cat "$scratch/out"; fail "a bad line passed"; fi
grep -q "bad.cfg:3:1: error" "$scratch/out" || { cat "$scratch/out"; fail "no error shown"; }
if run loose.cfg; then fail "a file to format passed"; fi
[ "$(cat loose.cfg)" = "$(cat good.cfg)" ] || fail "the hook did not format loose.cfg"
run loose.cfg || { cat "$scratch/out"; fail "a formatted file was refused"; }
run good.cfg || { cat "$scratch/out"; fail "a good file was refused"; }
echo "pre-commit: bad file refused, formatted file passes"
