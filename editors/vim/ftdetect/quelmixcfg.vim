" SPDX-License-Identifier: MIT
" Camera configuration files: *.cfg (adjust the pattern to your project).
autocmd BufRead,BufNewFile *.cfg set filetype=quelmixcfg
