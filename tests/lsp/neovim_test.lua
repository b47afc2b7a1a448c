-- End-to-end: Neovim, set up by editors/neovim/azuvel.lua, edits tests/lsp/mistake.az with
-- azuvel-lsp behind it. Checks the diagnostic Neovim shows, a hover, a go-to-definition, a
-- completion (and that omnifunc asks the server), the live values at the ends of the lines
-- (and that they follow the quick fix of the diagnostic, and :AzuvelLiveToggle), and formatting
-- through the configuration's key.
--
--   AZUVEL_LSP=build/azuvel-lsp nvim --headless --clean -n -u editors/neovim/azuvel.lua \
--       -c "luafile tests/lsp/neovim_test.lua" tests/lsp/mistake.az
local failures = 0

local function report(ok, what, detail)
  io.stdout:write((ok and "ok   " or "FAIL ") .. what .. (ok and "" or (": " .. detail)) .. "\n")
  if not ok then
    failures = failures + 1
  end
end

local function finish()
  io.stdout:flush()
  vim.cmd(failures == 0 and "qall!" or ("cquit " .. failures))
end

local published = false
local publish = vim.lsp.handlers["textDocument/publishDiagnostics"]
vim.lsp.handlers["textDocument/publishDiagnostics"] = function(...)
  published = true
  return publish(...)
end

local function run()
  local attached = vim.wait(10000, function()
    return #vim.lsp.buf_get_clients(0) > 0 and published
  end, 20)
  report(vim.bo.filetype == "azuvel", "filetype", vim.bo.filetype)
  report(attached, "server attached and published diagnostics", "nothing within 10 s")
  if not attached then
    return
  end

  -- Neovim shows 0-based lines and byte columns: the "é" before the mistake is two bytes.
  local diagnostics = vim.diagnostic.get(0)
  if #diagnostics == 0 then
    io.stdout:write("skip diagnostics: the checker reports nothing yet\n")
  else
    local d = diagnostics[1]
    local got = string.format("%d:%d %s", d.lnum, d.col, d.message)
    report(#diagnostics == 1 and got == "5:22 Expected ';'", "diagnostic at 5:22", got)
  end

  -- Live values: what the run did, as virtual text at the end of each line (0-based lines).
  local live = vim.api.nvim_create_namespace("azuvel_live")
  local function live_text(line)
    local marks = vim.api.nvim_buf_get_extmarks(0, live, { line, 0 }, { line, -1 },
      { details = true })
    return marks[1] and marks[1][4].virt_text[1][1] or nil
  end
  vim.wait(10000, function() return live_text(3) ~= nil and live_text(5) ~= nil end, 20)
  report(live_text(3) == "  tries = 3 (× 3: 1, 2, 3)", "live value of a loop's store",
    tostring(live_text(3)))
  report(live_text(2) == "  3 passes", "live passes of a while", tostring(live_text(2)))
  report(live_text(5) == "  this run stops here: Expected ';'", "live error",
    tostring(live_text(5)))

  -- Hover on the `tries` of line 4: the float Neovim opens.
  vim.api.nvim_win_set_cursor(0, { 4, 3 })
  vim.lsp.buf.hover()
  local hover_text = nil
  vim.wait(5000, function()
    for _, win in ipairs(vim.api.nvim_list_wins()) do
      if vim.api.nvim_win_get_config(win).relative ~= "" then
        local lines = vim.api.nvim_buf_get_lines(vim.api.nvim_win_get_buf(win), 0, -1, false)
        hover_text = table.concat(lines, "\n")
        vim.api.nvim_win_close(win, true)
        return true
      end
    end
    return false
  end, 20)
  local expected = "first declared on line 2, as a number; 1 `var` declares it."
  report(hover_text ~= nil and hover_text:find(expected, 1, true) ~= nil, "hover",
    tostring(hover_text))

  -- Go to definition from the `tries` after the string: the cursor lands on the `var`'s name.
  vim.api.nvim_win_set_cursor(0, { 6, 17 })
  vim.lsp.buf.definition()
  local moved = vim.wait(5000, function()
    local cursor = vim.api.nvim_win_get_cursor(0)
    return cursor[1] == 2 and cursor[2] == 4
  end, 20)
  local cursor = vim.api.nvim_win_get_cursor(0)
  report(moved, "definition", string.format("cursor at %d:%d", cursor[1], cursor[2]))

  -- Completion: omnifunc is the server's, and it offers the variable after "print(tr".
  report(vim.bo.omnifunc == "v:lua.vim.lsp.omnifunc", "omnifunc", vim.bo.omnifunc)
  local params = { textDocument = vim.lsp.util.make_text_document_params(),
                   position = { line = 5, character = 17 } }
  local completed = vim.lsp.buf_request_sync(0, "textDocument/completion", params, 5000) or {}
  local labels = {}
  for _, response in pairs(completed) do
    for _, item in ipairs(response.result or {}) do
      labels[item.label] = true
    end
  end
  report(labels["tries"] == true and labels["while"] == true, "completion",
    vim.inspect(vim.tbl_keys(labels)))

  -- The quick fix of the missing ";": applied, the line ends with it.
  local found = vim.diagnostic.get(0)
  if #found == 0 then
    report(false, "code action", "no diagnostic to fix")
    return
  end
  local lsp_diagnostics = vim.lsp.diagnostic.get_line_diagnostics(0, found[1].lnum)
  local range = { start = { line = found[1].lnum, character = found[1].col },
                  ["end"] = { line = found[1].lnum, character = found[1].col } }
  local answer = vim.lsp.buf_request_sync(0, "textDocument/codeAction", {
    textDocument = vim.lsp.util.make_text_document_params(), range = range,
    context = { diagnostics = lsp_diagnostics } }, 5000) or {}
  local action = nil
  for _, response in pairs(answer) do
    action = action or (response.result or {})[1]
  end
  if action == nil then
    report(false, "code action", "none offered for " .. vim.inspect(lsp_diagnostics))
    return
  end
  vim.lsp.util.apply_workspace_edit(action.edit, "utf-16")
  local line = vim.api.nvim_buf_get_lines(0, 5, 6, false)[1]
  report(action.title == "Insert ';'" and line == 'print("héllo", tries);', "code action",
    tostring(action.title) .. " -> " .. tostring(line))

  -- The fixed script runs to its end: the print's line shows what it printed.
  vim.wait(10000, function() return live_text(5) == '  "héllo 3"' end, 20)
  report(live_text(5) == '  "héllo 3"', "live values follow an edit", tostring(live_text(5)))
  vim.cmd("AzuvelLiveToggle")
  local left = vim.api.nvim_buf_get_extmarks(0, live, 0, -1, {})
  report(#left == 0, ":AzuvelLiveToggle clears them", vim.inspect(left))
  vim.cmd("AzuvelLiveToggle")
  vim.wait(10000, function() return live_text(5) ~= nil end, 20)
  report(live_text(5) == '  "héllo 3"', ":AzuvelLiveToggle brings them back",
    tostring(live_text(5)))

  -- Formatting through the configuration's <leader>f: the body is indented by four, the
  -- "+=" stays as written, and the server says so in a message.
  local shown = nil
  vim.lsp.handlers["window/showMessage"] = function(_, result)
    shown = result.message
  end
  vim.api.nvim_buf_set_lines(0, -1, -1, false, { "tries += 1;" })
  local mapping = vim.fn.maparg("<leader>f", "n", false, true)
  report(mapping.buffer == 1, "<leader>f mapped in the buffer", vim.inspect(mapping))
  if mapping.buffer == 1 then
    vim.api.nvim_feedkeys(vim.api.nvim_replace_termcodes("<leader>f", true, false, true), "x",
      false)
    vim.wait(5000, function() return shown ~= nil end, 20)
    local lines = vim.api.nvim_buf_get_lines(0, 3, 7, false)
    report(lines[1] == "    tries = tries + 1;" and lines[4] == "tries += 1;", "formatting",
      vim.inspect(lines))
    report(shown ~= nil and shown:find("7: left as written", 1, true) ~= nil,
      "formatting names the line left as written", tostring(shown))
  end
end

-- An error in a check ends the run as a failure instead of leaving Neovim waiting.
local ok, error = pcall(run)
report(ok, "no Lua error", tostring(error))
finish()
