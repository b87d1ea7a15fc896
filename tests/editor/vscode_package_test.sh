#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packs the VS Code extension as docs/editors.md says and checks the package: vsce
# validates the manifest, and the .vsix holds the manifest, the client, the
# grammar, the licence and the language client it requires.
# Usage: vscode_package_test.sh EDITORS_DIR NODE_MODULES_PARENT
set -euo pipefail
editors=$1
tools=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
node --check "$editors/vscode/extension.js"
"$editors/vscode/package.sh" "$work/quelmix.vsix" "$tools" >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
python3 - "$work/quelmix.vsix" <<'PY'
import json, sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
need = ['extension/package.json', 'extension/extension.js',
        'extension/language-configuration.json',
        'extension/syntaxes/quelmix.tmLanguage.json', 'extension/LICENSE.txt',
        'extension/node_modules/vscode-languageclient/package.json',
        'extension.vsixmanifest']
missing = [n for n in need if n not in names]
stray = [n for n in names if n.endswith('package.sh')]
manifest = json.loads(zipfile.ZipFile(sys.argv[1]).read('extension/package.json'))
grammar = manifest['contributes']['grammars'][0]['path'].lstrip('./')
if 'extension/' + grammar not in names:
    missing.append(grammar)
if missing or stray:
    sys.exit('vsix: missing %s, stray %s' % (missing, stray))
print('vsix: %d files, all expected present' % len(names))
PY
