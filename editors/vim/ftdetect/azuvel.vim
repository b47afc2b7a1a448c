" Azuvel scripts: the .az extension, or a first line such as "#!/usr/bin/env azuvel".
autocmd BufRead,BufNewFile *.az setfiletype azuvel
autocmd BufRead * if getline(1) =~# '^#!.*\<azuvel\>' | setfiletype azuvel | endif
