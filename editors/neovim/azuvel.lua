-- Azuvel in Neovim (0.7 or later): the `azuvel` filetype for *.az files and the azuvel-lsp
-- language server for them. From init.lua: dofile("/path/to/editors/neovim/azuvel.lua").
-- The server is `azuvel-lsp` on PATH, or the command in $AZUVEL_LSP.
local group = vim.api.nvim_create_augroup("azuvel", { clear = true })

vim.api.nvim_create_autocmd({ "BufRead", "BufNewFile" }, {
  group = group,
  pattern = "*.az",
  command = "setfiletype azuvel",
})

-- Formats the buffer through the server and waits for the edits: vim.lsp.buf.format from
-- Neovim 0.8, formatting_sync in 0.7. Statements with a mistake stay as written; the server says
-- which in a message.
local function format()
  if vim.lsp.buf.format then
    vim.lsp.buf.format({ async = false })
  else
    vim.lsp.buf.formatting_sync()
  end
end

-- The usual keys, for this buffer only, and completion from the server with CTRL-X CTRL-O.
local function on_attach(_, buffer)
  vim.api.nvim_buf_set_option(buffer, "omnifunc", "v:lua.vim.lsp.omnifunc")
  local function map(keys, action)
    vim.keymap.set("n", keys, action, { buffer = buffer })
  end
  map("K", vim.lsp.buf.hover)
  map("gd", vim.lsp.buf.definition)
  map("gr", vim.lsp.buf.references)
  map("<leader>ca", vim.lsp.buf.code_action)
  map("<leader>f", format)
end

-- One server per Neovim for every Azuvel buffer.
local client_id = nil

vim.api.nvim_create_autocmd("FileType", {
  group = group,
  pattern = "azuvel",
  callback = function(args)
    if client_id == nil or vim.lsp.get_client_by_id(client_id) == nil then
      client_id = vim.lsp.start_client({
        name = "azuvel",
        cmd = { vim.env.AZUVEL_LSP or "azuvel-lsp" },
        root_dir = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(args.buf), ":p:h"),
        on_attach = on_attach,
      })
    end
    if client_id ~= nil then
      vim.lsp.buf_attach_client(args.buf, client_id)
    end
  end,
})
