-- Digits of 3 * k * k + k for k = 1 to n, taken off one by one by a division by 10 floored with
-- the 2^52 trick: the digit sum, the number read backwards (to count those that read the same
-- both ways) and the digital root, by summing the digits of the sum again until one is left.
-- Reports the mean digit sum, the largest and where, the count that read the same both ways
-- and the shares of roots 9 and 1.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 600000
local big = 4503599627370496.0
local total, most, at, same, nines, ones = 0, 0, 0, 0, 0, 0
local k = 0
while k < n do
    k = k + 1
    local v = 3 * k * k + k
    local x = v
    local s, rev = 0, 0
    while x > 0 do
        local q = x / 10
        local f = (q + big) - big
        if f > q then f = f - 1 end
        local d = x - f * 10
        s = s + d
        rev = rev * 10 + d
        x = f
    end
    total = total + s
    if s > most then most = s; at = k end
    if rev == v then same = same + 1 end
    local root = s
    while root > 9 do
        x = root
        root = 0
        while x > 0 do
            local q = x / 10
            local f = (q + big) - big
            if f > q then f = f - 1 end
            root = root + (x - f * 10)
            x = f
        end
    end
    if root == 9 then nines = nines + 1 end
    if root == 1 then ones = ones + 1 end
end
print(string.format("%g %g %g %g %g %g", total / n, most, at, same, nines / n, ones / n))
