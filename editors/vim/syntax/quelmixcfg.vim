" SPDX-License-Identifier: MIT
" Vim syntax for camera configuration files, as the loader reads them:
" a ";" or "//" starts a comment only at the start of a line or after a
" blank, "#" only at the start of a line; keys are case-sensitive; code
" blocks run between the markers, whose letter case does not matter.
if exists('b:current_syntax')
  finish
endif

syntax case match

" Lines, from the start: comments, headers, code blocks, entries.
syntax match quelmixComment /^\s*\%(;\|#\|\/\/\).*$/
syntax match quelmixHeader /^\s*\[[^\]]*\]\%(\[[^\]]*\]\)*/
syntax match quelmixInlineComment /\s\zs\%(;\|\/\/\).*$/ contained
syntax match quelmixKnownKey /^\s*\zs\%(CFG_MODE\|TYPE\|SIZE\|BIT_WIDTH\|FORMAT\|I2C_MODE\|I2C_ADDR\|TRANS_LVL\|REG\|DELAY\|VRCMD\|MIN_VALUE\|MAX_VALUE\|STEP\|DEF\|CTRL_NAME\|FUNC_NAME\)\ze\s*[=:]/ contained
syntax match quelmixKey /^\s*\zs[^=:;\[ \t]\+\ze\s*[=:]/ contained contains=quelmixKnownKey
syntax match quelmixNumber /\<\%(0[xX]\x\+\|[-+]\=\d\+\)\>/ contained
syntax match quelmixSeparator /[=:,]/ contained
syntax match quelmixEntry /^\s*[^;#\[ \t].*[=:].*$/ contains=quelmixKey,quelmixSeparator,quelmixNumber,quelmixInlineComment

syntax case ignore
syntax region quelmixCode matchgroup=quelmixMarker start=/^\s*======CODE_BLOCK_START======\s*$/ end=/^\s*======CODE_BLOCK_END======\s*$/ keepend
syntax case match

highlight default link quelmixComment Comment
highlight default link quelmixInlineComment Comment
highlight default link quelmixHeader Type
highlight default link quelmixKnownKey Identifier
highlight default link quelmixKey Special
highlight default link quelmixNumber Number
highlight default link quelmixSeparator Delimiter
highlight default link quelmixMarker Keyword
highlight default link quelmixCode String

let b:current_syntax = 'quelmixcfg'
