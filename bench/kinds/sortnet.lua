-- Sorts the last six values of a random sequence with a sorting network, again and again:
-- loop bodies made of runs of compare-and-swap ifs. The sequence is the generator
-- x = 75 x + 74 modulo 65537, floored by the 2^52 trick (adding 2^52 rounds to a whole number).
-- Every number is printed with "%g", as Azuvel prints it.
local n = 2000000
local m = 65537
local big = 4503599627370496.0
local x = 1
local w1, w2, w3, w4, w5, w6 = 0, 0, 0, 0, 0, 0
local bad, lows, mids, highs = 0, 0, 0, 0
local i = 0
while i < n do
    local y = x * 75 + 74
    local q = y / m
    local f = (q + big) - big
    if f > q then f = f - 1 end
    x = y - m * f
    w1 = w2; w2 = w3; w3 = w4; w4 = w5; w5 = w6; w6 = x
    local a, b, c, d, e, g = w1, w2, w3, w4, w5, w6
    local t
    if a > b then t = a; a = b; b = t end
    if c > d then t = c; c = d; d = t end
    if e > g then t = e; e = g; g = t end
    if b > c then t = b; b = c; c = t end
    if d > e then t = d; d = e; e = t end
    if a > b then t = a; a = b; b = t end
    if c > d then t = c; c = d; d = t end
    if e > g then t = e; e = g; g = t end
    if b > c then t = b; b = c; c = t end
    if d > e then t = d; d = e; e = t end
    if a > b then t = a; a = b; b = t end
    if c > d then t = c; c = d; d = t end
    if e > g then t = e; e = g; g = t end
    if b > c then t = b; b = c; c = t end
    if d > e then t = d; d = e; e = t end
    if a > b then bad = bad + 1 end
    if b > c then bad = bad + 1 end
    if c > d then bad = bad + 1 end
    if d > e then bad = bad + 1 end
    if e > g then bad = bad + 1 end
    lows = lows + a / n
    mids = mids + (c + d) / n
    highs = highs + g / n
    i = i + 1
end
print(string.format("%g %g %g %g %g", bad, lows, mids, highs, x))
