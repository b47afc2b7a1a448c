-- Square roots of 1 to n by Newton's method, x = (x + k / x) / 2 from x = k until x * x is
-- within a billionth of k: division-heavy iteration. Also counts the perfect squares, by
-- rounding each root with the 2^52 trick. Every number is printed with "%g", as Azuvel does.
local n = 800000
local big = 4503599627370496.0
local steps, sum, squares = 0, 0, 0
local k = 0
local x = 0
while k < n do
    k = k + 1
    x = k
    local tol = k / 1000000000
    local d = x * x - k
    while d > tol do
        x = (x + k / x) / 2
        d = x * x - k
        if d < 0 then d = -d end
        steps = steps + 1
    end
    sum = sum + x / n
    local r = (x + big) - big
    if r * r == k then squares = squares + 1 end
end
print(string.format("%g %g %g %g", sum, steps / n, squares, x))
