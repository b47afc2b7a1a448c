-- Bubble sort of eight values drawn from x = 171 x modulo 30269, repeated: passes of
-- compare-and-swap ifs until a pass swaps nothing. The remainder uses the 2^52 trick, which
-- rounds to the nearest whole number, corrected down when it rounded up.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 300000
local m = 30269
local big = 4503599627370496.0
local x = 12345
local p1, p2, p3, p4, p5, p6, p7, p8 = 0, 0, 0, 0, 0, 0, 0, 0
local passes, swaps, spread = 0, 0, 0
local round = 0
while round < n do
    for _ = 1, 8 do
        local y = x * 171
        local q = y / m
        local f = (q + big) - big
        if f > q then f = f - 1 end
        x = y - m * f
        p1, p2, p3, p4, p5, p6, p7, p8 = p2, p3, p4, p5, p6, p7, p8, x
    end
    local swapped = true
    while swapped do
        swapped = false
        local t
        if p1 > p2 then t = p1; p1 = p2; p2 = t; swapped = true end
        if p2 > p3 then t = p2; p2 = p3; p3 = t; swapped = true end
        if p3 > p4 then t = p3; p3 = p4; p4 = t; swapped = true end
        if p4 > p5 then t = p4; p4 = p5; p5 = t; swapped = true end
        if p5 > p6 then t = p5; p5 = p6; p6 = t; swapped = true end
        if p6 > p7 then t = p6; p6 = p7; p7 = t; swapped = true end
        if p7 > p8 then t = p7; p7 = p8; p8 = t; swapped = true end
        if swapped then swaps = swaps + 1 end
        passes = passes + 1
    end
    spread = spread + (p8 - p1) / n
    round = round + 1
end
print(string.format("%g %g %g %g %g", passes / n, spread, p1, p8, x))
