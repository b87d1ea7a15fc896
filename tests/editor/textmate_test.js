// SPDX-License-Identifier: MIT
// The TextMate grammar tokenized by the engine VS Code uses (vscode-textmate
// with vscode-oniguruma): the scope at chosen places of a table of lines
// and of the sample.
// Usage: node textmate_test.js GRAMMAR NODE_MODULES SAMPLE
'use strict';
const fs = require('fs');
const path = require('path');
const [grammarPath, modules, samplePath] = process.argv.slice(2);
const vsctm = require(path.join(modules, 'vscode-textmate'));
const oniguruma = require(path.join(modules, 'vscode-oniguruma'));

const wasm = fs.readFileSync(
    path.join(modules, 'vscode-oniguruma', 'release', 'onig.wasm')).buffer;
const registry = new vsctm.Registry({
  onigLib: oniguruma.loadWASM(wasm).then(() => ({
    createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
    createOnigString: (s) => new oniguruma.OnigString(s),
  })),
  loadGrammar: async () =>
      vsctm.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
});

// The innermost scope of the character at `column` of each line.
function scopesAt(grammar, lines) {
  let stack = vsctm.INITIAL;
  return lines.map((line) => {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    return (column) => {
      const token = result.tokens.find(
          (t) => t.startIndex <= column && column < t.endIndex);
      return token ? token.scopes[token.scopes.length - 1] : '';
    };
  });
}

const lines = [
  '; a comment',
  '[register parameter][dev3][inf2] ; joined',
  'REG = 0x3008, 82 ; a comment',
  'TYPE = QX;rev B',
  'cfg_mode = 1',
  '======code_block_start======',
  '  x = 1 ; code, not a comment',
  '======CODE_BLOCK_END======',
  '# another comment',
];
const expected = [
  [0, 0, 'comment.line.quelmix'],
  [1, 1, 'entity.name.section.quelmix'],
  [1, 36, 'comment.line.inline.quelmix'],
  [2, 0, 'variable.other.key.quelmix'],
  [2, 4, 'punctuation.separator.key-value.quelmix'],
  [2, 6, 'constant.numeric.hex.quelmix'],
  [2, 12, 'punctuation.separator.list.quelmix'],
  [2, 14, 'constant.numeric.decimal.quelmix'],
  [2, 18, 'comment.line.inline.quelmix'],
  [3, 7, 'string.unquoted.value.quelmix'],
  [3, 9, 'string.unquoted.value.quelmix'], // ";" without a blank: no comment
  [4, 0, 'variable.other.key.unknown.quelmix'],
  [5, 0, 'keyword.control.block.begin.quelmix'],
  [6, 2, 'string.unquoted.code.quelmix'],
  [6, 10, 'string.unquoted.code.quelmix'],
  [7, 0, 'keyword.control.block.end.quelmix'],
  [8, 0, 'comment.line.quelmix'],
];

registry.loadGrammar('source.quelmix').then((grammar) => {
  const failures = [];
  const at = scopesAt(grammar, lines);
  for (const [line, column, scope] of expected) {
    const found = at[line](column);
    if (found !== scope)
      failures.push(`line ${line} column ${column}: ${found}, want ${scope}`);
  }
  // The sample: its headers, keys and code as the loader reads them.
  const sample = fs.readFileSync(samplePath, 'utf8').split('\n');
  const sampleAt = scopesAt(grammar, sample);
  let inBlock = false;
  sample.forEach((line, i) => {
    const start = line.search(/\S/);
    const marker = /^\s*======CODE_BLOCK_(START|END)======\s*$/i.exec(line);
    if (marker)
      inBlock = marker[1].toUpperCase() === 'START';
    else if (inBlock)
      return; // code: any text, none of it a comment or a header
    if (start < 0)
      return;
    const scope = sampleAt[i](start);
    const want = /^\s*\[/.test(line) ? 'entity.name.section.quelmix'
        : /^\s*(;|#|\/\/)/.test(line) ? 'comment.line.quelmix'
        : /^\s*======/i.test(line) ? 'keyword.control.block'
        : null;
    if (want && !scope.startsWith(want))
      failures.push(`sample line ${i + 1}: ${scope}, want ${want}`);
  });
  if (failures.length > 0) {
    console.error('textmate test:\n  ' + failures.join('\n  '));
    process.exit(1);
  }
  console.log(`textmate test: ${expected.length} places and the sample hold`);
}).catch((error) => {
  console.error(error);
  process.exit(1);
});
