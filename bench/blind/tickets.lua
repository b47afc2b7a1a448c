-- Counts through the numbers 0 to n - 1 as eight digits on an odometer (the carry ripples
-- through nested ifs; nothing is divided). For each number: a lucky ticket when the sum of the
-- first four digits equals that of the last four, a palindrome, digits that never fall from left
-- to right, and a number equal to the sum of the cubes of its digits, printed as it is found.
-- Reports the three counts and the largest digit sum seen.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 3000000
local d0, d1, d2, d3, d4, d5, d6, d7 = 0, 0, 0, 0, 0, 0, 0, 0
local lucky, mirror, rising, top = 0, 0, 0, 0
local i = 0
while i < n do
    local low = d0 + d1 + d2 + d3
    local high = d4 + d5 + d6 + d7
    if low == high then lucky = lucky + 1 end
    if low + high > top then top = low + high end
    if d0 == d7 then
        if d1 == d6 then
            if d2 == d5 then
                if d3 == d4 then mirror = mirror + 1 end
            end
        end
    end
    if d7 < d6 + 1 then
        if d6 < d5 + 1 then
            if d5 < d4 + 1 then
                if d4 < d3 + 1 then
                    if d3 < d2 + 1 then
                        if d2 < d1 + 1 then
                            if d1 < d0 + 1 then rising = rising + 1 end
                        end
                    end
                end
            end
        end
    end
    local cubes = d0 * d0 * d0 + d1 * d1 * d1 + d2 * d2 * d2 + d3 * d3 * d3 + d4 * d4 * d4
        + d5 * d5 * d5 + d6 * d6 * d6 + d7 * d7 * d7
    if cubes == i then print(string.format("sum of cubes of its digits: %g", i)) end
    i = i + 1
    d0 = d0 + 1
    if d0 == 10 then
        d0 = 0
        d1 = d1 + 1
        if d1 == 10 then
            d1 = 0
            d2 = d2 + 1
            if d2 == 10 then
                d2 = 0
                d3 = d3 + 1
                if d3 == 10 then
                    d3 = 0
                    d4 = d4 + 1
                    if d4 == 10 then
                        d4 = 0
                        d5 = d5 + 1
                        if d5 == 10 then
                            d5 = 0
                            d6 = d6 + 1
                            if d6 == 10 then
                                d6 = 0
                                d7 = d7 + 1
                            end
                        end
                    end
                end
            end
        end
    end
end
print(string.format("lucky %g palindromes %g never falling %g top digit sum %g", lucky, mirror,
    rising, top))
