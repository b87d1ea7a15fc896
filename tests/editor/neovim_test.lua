-- SPDX-License-Identifier: MIT
-- Neovim's built-in LSP client against quelmix-config-lsp, headless, set up
-- by the docs' own snippet (run_neovim_test.sh loads it first): open a file
-- with mistakes, wait for the diagnostics and check their lines and kinds,
-- ask for hover, completion and formatting and check the answers, then
-- apply a quick fix and see its diagnostic go. Exits 0 when all hold.
local work = os.getenv('QUELMIX_WORK')
local path = work .. '/camera.cfg'

local text = table.concat({
  '[camera parameter]',
  'I2C_ADDR = 0x10000',
  'SIZE=1920,1080',
  '[register parameter]',
  'REG = 0x3008 0x82',
  'bad line',
  '[control parameter]',
  'CTRL_NAME = Brightness',
  'step = 1',
}, '\n') .. '\n'
local file = io.open(path, 'w')
file:write(text)
file:close()

local failures = {}
local function check(ok, what)
  if not ok then
    table.insert(failures, what)
  end
end

vim.cmd('edit ' .. path)
local buffer = vim.api.nvim_get_current_buf()
check(vim.bo.filetype == 'quelmixcfg', 'the snippet set the file type')
local client = nil
vim.wait(10000, function()
  -- A table keyed by client id, not a list.
  local _, attached = next(vim.lsp.buf_get_clients(buffer))
  client = attached
  return client ~= nil
end, 50)
check(client ~= nil, 'the snippet started the client and attached it')
if client == nil then
  io.stderr:write('neovim test: ' .. table.concat(failures, '\n  ') .. '\n')
  vim.cmd('cquit 1')
end

-- Diagnostics, published on open.
local arrived = vim.wait(20000, function()
  return #vim.diagnostic.get(buffer) >= 4
end, 50)
check(arrived, 'diagnostics arrived')
local found = {}
for _, d in ipairs(vim.diagnostic.get(buffer)) do
  local code = d.code
  if code == nil and d.user_data and d.user_data.lsp then
    code = d.user_data.lsp.code
  end
  table.insert(found, string.format('%d:%d %s %s', d.lnum, d.col, code,
                                    d.source))
end
table.sort(found)
local expected = {
  '1:11 value-out-of-range quelmix',
  '4:13 trailing-text quelmix',
  '5:0 missing-separator quelmix',
  '8:0 unknown-key quelmix',
}
check(vim.deep_equal(found, expected),
      'diagnostics: ' .. table.concat(found, ', '))

local document = { uri = vim.uri_from_bufnr(buffer) }
local function ask(method, params)
  local reply, err = client.request_sync(method, params, 10000, buffer)
  check(reply ~= nil and reply.err == nil, method .. ' answered: ' ..
        vim.inspect(err or (reply and reply.err)))
  return reply and reply.result
end

-- Hover on a key: the field, its width, what the line stores.
local hover = ask('textDocument/hover', {
  textDocument = document, position = { line = 1, character = 3 } })
local words = hover and hover.contents and hover.contents.value or ''
check(words:find('i2c_addr', 1, true) and words:find('16-bit', 1, true) and
      words:find('stores 0.', 1, true), 'hover: ' .. words)

-- A quick fix, applied as Neovim applies a workspace edit: its diagnostic
-- goes with the next publication.
local actions = ask('textDocument/codeAction', {
  textDocument = document,
  range = { start = { line = 8, character = 0 },
            ['end'] = { line = 8, character = 0 } },
  context = { diagnostics = {} } }) or {}
local rename = nil
for _, action in ipairs(actions) do
  if action.title == 'rename to STEP' then rename = action end
end
check(rename ~= nil and rename.isPreferred, 'a preferred quick fix offered')
-- Neovim resolves edits: the action comes without one, and
-- codeAction/resolve makes it, as vim.lsp.buf.code_action does.
check(rename == nil or rename.edit == nil, 'the edit is left to resolve')
if rename then
  rename = ask('codeAction/resolve', rename)
  vim.lsp.util.apply_workspace_edit(rename.edit, 'utf-16')
end
check(vim.api.nvim_buf_get_lines(buffer, 8, 9, false)[1] == 'STEP = 1',
      'the quick fix applied')
local gone = vim.wait(20000, function()
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    local code = d.code or (d.user_data and d.user_data.lsp.code)
    if code == 'unknown-key' then return false end
  end
  return #vim.diagnostic.get(buffer) > 0
end, 50)
check(gone, 'its diagnostic is gone')

-- Completion: the keys of the register section at the start of a line.
local items = ask('textDocument/completion', {
  textDocument = document, position = { line = 5, character = 0 } })
local labels = {}
for _, item in ipairs(items or {}) do
  table.insert(labels, item.label)
end
check(vim.deep_equal(labels, { 'REG', 'DELAY', 'VRCMD' }),
      'completion: ' .. table.concat(labels, ' '))

-- Formatting, applied to the buffer as Neovim applies it.
local edits = ask('textDocument/formatting', {
  textDocument = document, options = { tabSize = 2, insertSpaces = true } })
vim.lsp.util.apply_text_edits(edits or {}, buffer, 'utf-16')
local lines = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
check(lines[3] == 'SIZE     = 1920, 1080', 'formatted: ' .. tostring(lines[3]))
check(lines[4] == '' and lines[5] == '[register parameter]',
      'a blank line before each header')

client.stop()
if #failures > 0 then
  io.stderr:write('neovim test: ' .. table.concat(failures, '\n  ') .. '\n')
  vim.cmd('cquit 1')
else
  io.stdout:write('neovim test: all checks passed\n')
  vim.cmd('qall!')
end
