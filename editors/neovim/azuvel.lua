-- Azuvel in Neovim (0.7 or later): the `azuvel` filetype for *.az files and the azuvel-lsp
-- language server for them. From init.lua: dofile("/path/to/editors/neovim/azuvel.lua").
-- The server is `azuvel-lsp` on PATH, or the command in $AZUVEL_LSP. Live values (what each
-- statement did in a run of the script) show at the end of the lines; :AzuvelLiveToggle.
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

-- One server per Neovim for every Azuvel buffer.
local client_id = nil

-- Live values: the server runs the script after each change and answers textDocument/inlayHint
-- with what each statement did in that run. Neovim 0.7 shows no inlay hints of its own, so
-- they are asked for here, a moment after the typing stops, and shown as virtual text at the
-- end of their lines. :AzuvelLiveToggle turns them off and on.
local live_namespace = vim.api.nvim_create_namespace("azuvel_live")
local live_enabled = true
local live_timers = {}
local LIVE_DELAY = 200 -- milliseconds after the last change

-- A hint's label: a string, or a list of parts.
local function label_text(label)
  if type(label) == "string" then
    return label
  end
  local parts = {}
  for _, part in ipairs(label) do
    table.insert(parts, part.value)
  end
  return table.concat(parts)
end

-- Replaces the buffer's live values with the hints, those of one line joined.
local function show_live(buffer, hints)
  vim.api.nvim_buf_clear_namespace(buffer, live_namespace, 0, -1)
  if not live_enabled then
    return
  end
  local lines = {}
  for _, hint in ipairs(hints or {}) do
    local line = hint.position.line
    local text = label_text(hint.label)
    lines[line] = lines[line] and (lines[line] .. "  · " .. text) or text
  end
  local count = vim.api.nvim_buf_line_count(buffer)
  for line, text in pairs(lines) do
    if line < count then
      vim.api.nvim_buf_set_extmark(buffer, live_namespace, line, 0, {
        virt_text = { { "  " .. text, "Comment" } },
        virt_text_pos = "eol",
      })
    end
  end
end

-- Asks for the whole buffer's hints; an answer overtaken by an edit (an error) is dropped.
local function request_live(buffer)
  local client = client_id and vim.lsp.get_client_by_id(client_id)
  if not live_enabled or client == nil or not vim.api.nvim_buf_is_valid(buffer) then
    return
  end
  local params = {
    textDocument = { uri = vim.uri_from_bufnr(buffer) },
    range = {
      start = { line = 0, character = 0 },
      ["end"] = { line = vim.api.nvim_buf_line_count(buffer), character = 0 },
    },
  }
  client.request("textDocument/inlayHint", params, function(err, result)
    if err == nil and vim.api.nvim_buf_is_valid(buffer) then
      show_live(buffer, result)
    end
  end, buffer)
end

-- Asks again LIVE_DELAY after the last of a burst of changes.
local function schedule_live(buffer)
  local timer = live_timers[buffer]
  if timer == nil then
    timer = vim.loop.new_timer()
    live_timers[buffer] = timer
  end
  timer:stop()
  timer:start(LIVE_DELAY, 0, vim.schedule_wrap(function()
    request_live(buffer)
  end))
end

vim.api.nvim_create_user_command("AzuvelLiveToggle", function()
  live_enabled = not live_enabled
  local client = client_id and vim.lsp.get_client_by_id(client_id)
  if client ~= nil then
    client.notify("workspace/didChangeConfiguration",
      { settings = { azuvel = { liveValues = live_enabled } } })
  end
  for buffer in pairs(live_timers) do
    if vim.api.nvim_buf_is_valid(buffer) then
      show_live(buffer, {})
      request_live(buffer)
    end
  end
  print("Azuvel live values " .. (live_enabled and "on" or "off"))
end, { desc = "Turn Azuvel's live values off or on" })

-- The usual keys, for this buffer only, completion from the server with CTRL-X CTRL-O, and
-- live values.
local function on_attach(_, buffer)
  -- Every change, typed or made by a plugin or a quick fix, asks again.
  vim.api.nvim_buf_attach(buffer, false, {
    on_lines = function()
      schedule_live(buffer)
    end,
    on_detach = function()
      if live_timers[buffer] then
        live_timers[buffer]:stop()
        live_timers[buffer]:close()
        live_timers[buffer] = nil
      end
    end,
  })
  schedule_live(buffer)
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
