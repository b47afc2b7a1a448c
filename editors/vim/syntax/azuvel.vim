" Vim syntax file
" Language:   Azuvel
" Filenames:  *.az, and scripts whose first line runs azuvel
" Install:    copy editors/vim/ into ~/.vim/ (or a directory on 'runtimepath')

if exists("b:current_syntax")
  finish
endif

" The keyword lists together are exactly the lexer's keyword table;
" tests/docs/check_editors.py keeps them so.
syn keyword azuvelStatement   print var
syn keyword azuvelConditional if
syn keyword azuvelRepeat      while
" Reserved words: the lexer knows them, but no statement accepts them.
syn keyword azuvelReserved    function return

" A backslash escapes only a double quote right after it: "a\\"b" is one string.
" Strings may run over several lines.
syn region  azuvelString      start=+"+ skip=+\\"+ end=+"+ contains=azuvelEscape,azuvelDirective
syn match   azuvelEscape      contained +\\"+
" The print item "nel" switches off the newline of its statement.
syn match   azuvelNel         +"nel"+

" Digits and dots: 12, 2.50, .5, 1.2.3 are all one number token.
syn match   azuvelNumber      "\<\d[0-9.]*"
syn match   azuvelNumber      "\.\d[0-9.]*"

syn match   azuvelOperator    "==\|!=\|[-+*/<>=]"
" Habits from other languages that no script can run: shown as errors while typing.
syn match   azuvelInvalid     "&&\|||\|<=\|>=\|+=\|++\|%\|!=\@!"
syn match   azuvelDelimiter   "[(){},;]"

" The header directive counts only on the first line; it may sit in a comment there.
syn match   azuvelDirective   "\%1lsg<[^>]*>\?"
syn match   azuvelComment     "#.*$" contains=azuvelDirective,azuvelTodo,@Spell
syn keyword azuvelTodo        contained TODO FIXME XXX NOTE

hi def link azuvelStatement   Statement
hi def link azuvelConditional Conditional
hi def link azuvelRepeat      Repeat
hi def link azuvelReserved    Error
hi def link azuvelString      String
hi def link azuvelEscape      SpecialChar
hi def link azuvelNel         Special
hi def link azuvelNumber      Number
hi def link azuvelOperator    Operator
hi def link azuvelInvalid     Error
hi def link azuvelDelimiter   Delimiter
hi def link azuvelDirective   PreProc
hi def link azuvelComment     Comment
hi def link azuvelTodo        Todo

let b:current_syntax = "azuvel"
