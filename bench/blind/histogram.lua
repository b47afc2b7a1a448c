-- n values from the generator r = (1664525 r + 1013904223) modulo 2^32, each scaled to x in
-- [0, 100). Keeps a running mean and variance (Welford's update), the smallest and largest
-- value, a histogram of ten buckets of width 10 (the bucket's number floored with the 2^52
-- trick, then one if per bucket) and the longest run of rising values. Reports the mean, the
-- variance, the extremes, each bucket as a share of n and the longest run.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 3000000
local big = 4503599627370496.0
local m = 4294967296.0
local r = 20261209.0
local mean, m2 = 0, 0
local lo, hi = 100, 0
local b0, b1, b2, b3, b4, b5, b6, b7, b8, b9 = 0, 0, 0, 0, 0, 0, 0, 0, 0, 0
local prev = 0 - 1
local run, longest = 0, 0
local i = 0
while i < n do
    i = i + 1
    r = r * 1664525 + 1013904223
    local q = r / m
    local f = (q + big) - big
    if f > q then f = f - 1 end
    r = r - f * m
    local x = r / m * 100
    local delta = x - mean
    mean = mean + delta / i
    m2 = m2 + delta * (x - mean)
    if x < lo then lo = x end
    if x > hi then hi = x end
    q = x / 10
    local k = (q + big) - big
    if k > q then k = k - 1 end
    if k == 0 then b0 = b0 + 1 end
    if k == 1 then b1 = b1 + 1 end
    if k == 2 then b2 = b2 + 1 end
    if k == 3 then b3 = b3 + 1 end
    if k == 4 then b4 = b4 + 1 end
    if k == 5 then b5 = b5 + 1 end
    if k == 6 then b6 = b6 + 1 end
    if k == 7 then b7 = b7 + 1 end
    if k == 8 then b8 = b8 + 1 end
    if k == 9 then b9 = b9 + 1 end
    local up = x > prev
    if up then
        run = run + 1
        if run > longest then longest = run end
    end
    if not up then run = 1 end
    prev = x
end
print(string.format("mean %g variance %g range %g %g", mean, m2 / n, lo, hi))
print(string.format("buckets %g %g %g %g %g %g %g %g %g %g", b0 / n, b1 / n, b2 / n, b3 / n,
    b4 / n, b5 / n, b6 / n, b7 / n, b8 / n, b9 / n))
print(string.format("longest rising run %g", longest))
