-- Primes below n by trial division with odd divisors up to the square root: d divides k when
-- k / d is a whole number, which the 2^52 trick tests (adding 2^52 rounds to a whole number).
-- Every number is printed with "%g", as Azuvel prints it.
local n = 600000
local big = 4503599627370496.0
local count, twins, prev, tests = 1, 0, 2, 0
local k = 3
while k < n do
    local prime = true
    local d = 3
    while d * d < k + 1 do
        local q = k / d
        if (q + big) - big == q then prime = false; d = k end
        d = d + 2
        tests = tests + 1
    end
    if prime then
        count = count + 1
        if k - prev == 2 then twins = twins + 1 end
        prev = k
    end
    k = k + 2
end
print(string.format("%g %g %g %g", count, twins, prev, tests / count))
