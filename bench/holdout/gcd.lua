-- Greatest common divisors of all pairs 1 <= i, j <= m by Euclid's subtraction, counting the
-- coprime pairs (whose share tends to 6 / pi^2) and summing the divisors.
-- Every number is printed with "%g", as Azuvel prints it.
local m = 800
local coprime, sum, subtractions = 0, 0, 0
local i = 1
while i < m + 1 do
    local j = 1
    while j < m + 1 do
        local a, b = i, j
        while a ~= b do
            if a > b then a = a - b end
            if b > a then b = b - a end
            subtractions = subtractions + 1
        end
        if a == 1 then coprime = coprime + 1 end
        sum = sum + a
        j = j + 1
    end
    i = i + 1
end
local share = coprime / (m * m)
local pi = 0
if coprime > 0 then pi = 6 / share end
print(string.format("%g %g %g %g %g", coprime, sum / (m * m), subtractions / (m * m), share, pi))
