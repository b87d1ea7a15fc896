-- SPDX-License-Identifier: MIT
-- The Vim syntax file and its file-type rule in a headless Neovim: the
-- highlight group at a header, a key, a number, comments (and a ";" that
-- is no comment) and inside a code block.
local editors = os.getenv('QUELMIX_EDITORS')
local work = os.getenv('QUELMIX_WORK')
vim.opt.runtimepath:prepend(editors .. '/vim')
vim.cmd('filetype on')
vim.cmd('runtime ftdetect/quelmixcfg.vim')
vim.cmd('syntax on')

local path = work .. '/syntax.cfg'
local file = io.open(path, 'w')
file:write(table.concat({
  '; a comment',
  '[register parameter][dev3][inf2]',
  'REG = 0x3008, 82 ; note',
  'TYPE = a;b',
  '======CODE_BLOCK_START======',
  '  x = 1 ; code',
  '======CODE_BLOCK_END======',
}, '\n') .. '\n')
file:close()
vim.cmd('edit ' .. path)

local failures = {}
local function at(line, col, want)
  local got = vim.fn.synIDattr(vim.fn.synID(line, col, 1), 'name')
  if got ~= want then
    table.insert(failures, string.format('%d:%d %s, want %s', line, col, got,
                                         want))
  end
end
if vim.bo.filetype ~= 'quelmixcfg' then
  table.insert(failures, 'filetype ' .. vim.bo.filetype)
end
at(1, 1, 'quelmixComment')
at(2, 2, 'quelmixHeader')
at(3, 1, 'quelmixKnownKey')
at(3, 5, 'quelmixSeparator')
at(3, 7, 'quelmixNumber')
at(3, 15, 'quelmixNumber')
at(3, 19, 'quelmixInlineComment')
at(4, 9, 'quelmixEntry')     -- ";" after no blank stays in the value
at(5, 1, 'quelmixMarker')
at(6, 3, 'quelmixCode')
at(6, 9, 'quelmixCode')      -- a ";" in code is code
at(7, 1, 'quelmixMarker')
if #failures > 0 then
  io.stderr:write('vim syntax test: ' .. table.concat(failures, '\n  ') .. '\n')
  vim.cmd('cquit 1')
else
  io.stdout:write('vim syntax test: all checks passed\n')
  vim.cmd('qall!')
end
