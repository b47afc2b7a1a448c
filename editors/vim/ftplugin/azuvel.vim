" Azuvel: "#" starts a comment that runs to the end of the line.
if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=#\ %s comments=:#
" gq formats through azuvel-fmt (gggqG: the whole buffer, which is where its indents come from).
" Its messages go to /dev/null, or the filter would put them in the buffer; a script it leaves
" unchanged comes back as it was.
setlocal formatprg=azuvel-fmt\ -\ 2>/dev/null
let b:undo_ftplugin = "setlocal commentstring< comments< formatprg<"
