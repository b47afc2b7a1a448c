-- A random walk driven by the generator r = 16807 r modulo 2147483647 (the remainder by a
-- division and the 2^52 trick, floored): steps of -3 to 3 between walls at -40 and 40 that
-- throw the walker back, with counters for hits on each wall, crossings of zero and steps spent
-- above zero. Reports those counts as shares of the steps, the mean place and the widest swing.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 3000000
local big = 4503599627370496.0
local m = 2147483647.0
local r = 12345.0
local p, last = 0, 0
local high, low, cross, above, far, sum = 0, 0, 0, 0, 0, 0
local i = 0
while i < n do
    i = i + 1
    r = r * 16807
    local q = r / m
    local f = (q + big) - big
    if f > q then f = f - 1 end
    r = r - f * m
    local d = r * 7 / m
    f = (d + big) - big
    if f > d then f = f - 1 end
    p = p + f - 3
    if p > 40 then p = 80 - p; high = high + 1 end
    if p < 0 - 40 then p = 0 - 80 - p; low = low + 1 end
    if p > 0 then
        above = above + 1
        if last < 0 then cross = cross + 1 end
    end
    if p < 0 then
        if last > 0 then cross = cross + 1 end
    end
    if p ~= 0 then last = p end
    if p * p > far then far = p * p end
    sum = sum + p
end
print(string.format("%g %g %g %g %g %g %g", high / n, low / n, cross / n, above / n, sum / n,
    far, p))
