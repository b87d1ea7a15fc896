" SPDX-License-Identifier: MIT
" Vim 9's ALE against quelmix-config-lsp, in Ex mode, set up by the docs'
" own snippet (run_vim_ale_test.sh loads it as the vimrc): open a file with
" mistakes, wait for the diagnostics and check their lines, columns and
" kinds, then ask for hover on a key and check what it says. Exits 0 when
" all hold.
let s:failures = []

function! s:Check(ok, what) abort
  if !a:ok
    call add(s:failures, a:what)
  endif
endfunction

function! s:Finish() abort
  if empty(s:failures)
    call writefile(['vim ale test: all checks passed'], '/dev/stderr')
    qall!
  endif
  call writefile(['vim ale test: ' . join(s:failures, "\n  ")], '/dev/stderr')
  cquit!
endfunction

" Timers and the server's replies run while Vim sleeps.
function! s:WaitFor(Predicate, seconds) abort
  let l:deadline = reltimefloat(reltime()) + a:seconds
  while !a:Predicate() && reltimefloat(reltime()) < l:deadline
    sleep 50m
  endwhile
  return a:Predicate()
endfunction

function! s:Diagnostics() abort
  return sort(map(copy(ale#engine#GetLoclist(bufnr(''))),
  \ {_, d -> d.lnum . ':' . d.col . ' ' . get(d, 'code', '')}))
endfunction

function! s:PreviewText() abort
  for l:buffer in range(1, bufnr('$'))
    if getbufvar(l:buffer, '&filetype') =~# '^ale-preview'
      return join(getbufline(l:buffer, 1, '$'), "\n")
    endif
  endfor
  return ''
endfunction

let s:path = $QUELMIX_WORK . '/camera.cfg'
call writefile(['[camera parameter]', 'I2C_ADDR = 0x10000', 'SIZE=1920,1080',
\ '[register parameter]', 'REG = 0x3008 0x82', 'bad line',
\ '[control parameter]', 'CTRL_NAME = Brightness', 'step = 1'], s:path)
execute 'edit ' . fnameescape(s:path)
call s:Check(&filetype ==# 'quelmixcfg', 'the snippet set the file type: ' . &filetype)

call s:Check(s:WaitFor({-> len(s:Diagnostics()) >= 4}, 30), 'diagnostics arrived')
let s:found = s:Diagnostics()
call s:Check(s:found == ['2:12 value-out-of-range', '5:14 trailing-text',
\ '6:1 missing-separator', '9:1 unknown-key'], 'diagnostics: ' . string(s:found))

" Hover on a key, shown in ALE's preview window.
let g:ale_hover_to_preview = 1
call cursor(2, 3)
ALEHover
call s:Check(s:WaitFor({-> s:PreviewText() !=# ''}, 20), 'hover arrived')
let s:hover = s:PreviewText()
call s:Check(s:hover =~# 'i2c_addr' && s:hover =~# '16-bit', 'hover: ' . s:hover)
call s:Finish()
