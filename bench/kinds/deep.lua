-- Deep nesting: four nested whiles with ifs between them count the ways to write 2n as
-- a + b + c + d with 1 <= a <= b <= c <= d <= n, those among them with a * d == b * c, and
-- the share of quadruples visited whose sum of squares is below n * n.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 140
local target = n + n
local nn = n * n
local ways, proportional, small, visited = 0, 0, 0, 0
local a = 1
while a < n + 1 do
    local b = a
    while b < n + 1 do
        if a + b + b < target then
            local c = b
            while c < n + 1 do
                if a + b + c + c < target + 1 then
                    local d = c
                    while d < n + 1 do
                        local sum = a + b + c + d
                        if sum == target then
                            ways = ways + 1
                            if a * d == b * c then proportional = proportional + 1 end
                        end
                        if a * a + b * b + c * c + d * d < nn then small = small + 1 end
                        visited = visited + 1
                        d = d + 1
                    end
                end
                c = c + 1
            end
        end
        b = b + 1
    end
    a = a + 1
end
print(string.format("%g %g %g %g", ways, proportional, small / visited, visited / nn))
