" Vim compiler file
" Compiler:   azuvel-check, the Azuvel script checker
" Use:        :compiler azuvel, then :make checks the current file and fills the quickfix list
" Install:    copy editors/vim/ into ~/.vim/ (or a directory on 'runtimepath')

if exists("current_compiler")
  finish
endif
let current_compiler = "azuvel"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

" Colour codes would end up in the messages.
CompilerSet makeprg=azuvel-check\ --color=never\ %:S

" An error or warning starts an entry and its help lines are added to its text; a note is an
" entry of its own at the place it points to. The source excerpts and their carets (a gutter
" and "|") come before the help pattern, which would take them too; the count line goes.
CompilerSet errorformat=
      \%E%f:%l:%c:\ error:\ %m,
      \%W%f:%l:%c:\ warning:\ %m,
      \%N%f:%l:%c:\ note:\ %m,
      \%-C%\\s%#%\\d%#\ \|%.%#,
      \%C\ \ \ \ \ \ %m,
      \%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
