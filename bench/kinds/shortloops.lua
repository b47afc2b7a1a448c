-- A small random sequence x = 11 x + 7 modulo 1009, reduced by repeated subtraction, and the
-- digits of each value counted off the same way: many short arithmetic loops.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 3000000
local x = 7
local sum, low = 0, 0
local i = 0
while i < n do
    x = x * 11 + 7
    while x > 1008 do x = x - 1009 end
    local d = x
    local digits = 0
    while d > 99 do d = d - 100; digits = digits + 1 end
    while d > 9 do d = d - 10; digits = digits + 1 end
    sum = sum + digits + d
    if x < 100 then low = low + 1 end
    i = i + 1
end
print(string.format("%g %g %g", sum / n, low, x))
