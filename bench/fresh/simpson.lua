-- Integrals over [0, 1] on n panels (n even) by the composite Simpson rule, weights
-- 1 4 2 4 ... 2 4 1 kept by a flag and two ifs for the ends, with the trapezoid rule beside it
-- for the first: 4 / (1 + x x) (pi), x / (1 + x x x), 1 / (2 + x) (the log of 3/2) and
-- x x / (1 + x) - x / 3. Each point is x = i / n, a division per point.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 2800000
local flag = 0
local s1, s2, s3, s4, t1 = 0, 0, 0, 0, 0
local i = 0
while i < n + 1 do
    local x = i / n
    local w = 2
    if flag == 1 then w = 4 end
    if i == 0 then w = 1 end
    if i == n then w = 1 end
    local f = 4 / (1 + x * x)
    s1 = s1 + w * f
    if w == 1 then t1 = t1 + f / 2 else t1 = t1 + f end
    s2 = s2 + w * (x / (1 + x * x * x))
    s3 = s3 + w * (1 / (2 + x))
    s4 = s4 + w * (x * x / (1 + x) - x / 3)
    flag = 1 - flag
    i = i + 1
end
print(string.format("%g %g %g %g %g", s1 / (3 * n), s2 / (3 * n), s3 / (3 * n), s4 / (3 * n),
    t1 / n))
