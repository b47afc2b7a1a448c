-- Two nested loops over an n x n grid with an if and a nested if on both counters.
-- print separates its items with a tab, so the line is joined with one space first.
local n = 2000
local lim = n * 3 // 10
local cap = n * 5 // 2
local i = 0
local j = 0
local a = 0
local b = 0
while i < n do
    j = 0
    while j < n do
        if i - j > lim then
            a = a + 1
            if (i + j) * 2 < cap then
                b = b + 1
            end
        end
        j = j + 1
    end
    i = i + 1
end
print(a .. " " .. b)
