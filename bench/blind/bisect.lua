-- Roots of x^3 - 2x - c = 0 for c = 0.05, 0.10, ... (n values) by bisection: from [0, 1] the
-- upper end doubles until the cubic is positive there, then the bracket is halved until it is
-- narrower than 1e-9. Sums the roots and the halvings, keeps the largest root and the largest
-- value of the cubic left at a root, and reports those with the last root.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 210000
local steps, total, largest, worst = 0, 0, 0, 0
local mid = 0
local k = 0
while k < n do
    k = k + 1
    local c = k * 0.05
    local lo, hi = 0, 1
    local f = hi * hi * hi - 2 * hi - c
    while f < 0 do
        lo = hi
        hi = hi * 2
        f = hi * hi * hi - 2 * hi - c
    end
    while hi - lo > 0.000000001 do
        mid = (lo + hi) / 2
        f = mid * mid * mid - 2 * mid - c
        if f < 0 then lo = mid end
        if f > 0 then hi = mid end
        if f == 0 then
            lo = mid
            hi = mid
        end
        steps = steps + 1
    end
    mid = (lo + hi) / 2
    total = total + mid
    if mid > largest then largest = mid end
    f = mid * mid * mid - 2 * mid - c
    if f < 0 then f = 0 - f end
    if f > worst then worst = f end
end
print(string.format("mean root %g mean halvings %g", total / n, steps / n))
print(string.format("largest root %g largest residue %g last root %g", largest, worst, mid))
