-- Escape-time fractal on an n x n grid: the steps each row takes, then the points that never escape.
-- print separates its items with a tab, so each line is joined with one space first.
local n = 200
local maxit = 500
local y = 0
local inside = 0
while y < n do
    local ci = y * 3 / n - 1.5
    local row = 0
    local x = 0
    while x < n do
        local cr = x * 3 / n - 2
        local zr, zi, zr2, zi2 = 0.0, 0.0, 0.0, 0.0
        local k = 0
        while k < maxit and zr2 + zi2 < 4 do
            zi = (zr + zr) * zi + ci
            zr = zr2 - zi2 + cr
            zr2 = zr * zr
            zi2 = zi * zi
            k = k + 1
        end
        if k == maxit then
            inside = inside + 1
        end
        row = row + k
        x = x + 1
    end
    print(y .. " " .. row)
    y = y + 1
end
print(inside)
