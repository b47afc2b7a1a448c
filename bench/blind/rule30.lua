-- The cellular automaton "rule 30" on a ring of twelve cells, each 0 or 1 in a variable of its
-- own: a cell's next value is left XOR (itself OR right), with OR as a + b - a b and XOR as
-- a + b - 2 a b. Starts from one live cell and runs n generations; counts the live cells over
-- all of them, the most alive at once, the generations in which the first cell lives, and how
-- often the row (read as a binary number) is the one of generation 100, once the start has
-- worn off.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 700000
local c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11 = 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0
local live, most, first, row, returns = 0, 0, 0, 0, 0
local mark = 0 - 1
local gen = 0
while gen < n do
    gen = gen + 1
    local o = c0 + c1 - c0 * c1
    local d0 = c11 + o - 2 * c11 * o
    o = c1 + c2 - c1 * c2
    local d1 = c0 + o - 2 * c0 * o
    o = c2 + c3 - c2 * c3
    local d2 = c1 + o - 2 * c1 * o
    o = c3 + c4 - c3 * c4
    local d3 = c2 + o - 2 * c2 * o
    o = c4 + c5 - c4 * c5
    local d4 = c3 + o - 2 * c3 * o
    o = c5 + c6 - c5 * c6
    local d5 = c4 + o - 2 * c4 * o
    o = c6 + c7 - c6 * c7
    local d6 = c5 + o - 2 * c5 * o
    o = c7 + c8 - c7 * c8
    local d7 = c6 + o - 2 * c6 * o
    o = c8 + c9 - c8 * c9
    local d8 = c7 + o - 2 * c7 * o
    o = c9 + c10 - c9 * c10
    local d9 = c8 + o - 2 * c8 * o
    o = c10 + c11 - c10 * c11
    local d10 = c9 + o - 2 * c9 * o
    o = c11 + c0 - c11 * c0
    local d11 = c10 + o - 2 * c10 * o
    c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11 = d0, d1, d2, d3, d4, d5, d6, d7, d8, d9,
        d10, d11
    local alive = c0 + c1 + c2 + c3 + c4 + c5 + c6 + c7 + c8 + c9 + c10 + c11
    live = live + alive
    if alive > most then most = alive end
    if c0 == 1 then first = first + 1 end
    row = ((((((((((c0 * 2 + c1) * 2 + c2) * 2 + c3) * 2 + c4) * 2 + c5) * 2 + c6) * 2 + c7)
        * 2 + c8) * 2 + c9) * 2 + c10) * 2 + c11
    if gen == 100 then mark = row end
    if row == mark then returns = returns + 1 end
end
print(string.format("mean alive %g most %g share of first cell %g", live / n, most, first / n))
print(string.format("last row %g seen again %g times", row, returns))
