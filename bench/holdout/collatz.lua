-- Collatz sequences of 1 to n: halve an even number, else 3 x + 1, until 1. Evenness is
-- tested by halving and the 2^52 trick (x / 2 is whole when adding 2^52 leaves it unchanged).
-- Reports the mean and the longest chain, and the start that climbs highest.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 120000
local big = 4503599627370496.0
local total, longest, start, peak, high = 0, 0, 0, 0, 0
local k = 0
while k < n do
    k = k + 1
    local x = k
    local steps = 0
    while x ~= 1 do
        local h = x / 2
        if (h + big) - big == h then
            x = h
        else
            x = x * 3 + 1
            if x > peak then peak = x; high = k end
        end
        steps = steps + 1
    end
    total = total + steps
    if steps > longest then longest = steps; start = k end
end
print(string.format("%g %g %g %g", total / n, longest, start, high))
