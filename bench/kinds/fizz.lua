-- FizzBuzz-like counting: counters for 3, 5 and 7 reset inside nested ifs, and the plain
-- numbers laid out ten to a line and 1000 lines to a page, with a line printed for each page.
-- Every number is printed with "%g", as Azuvel prints it.
local format = string.format
local n = 12000000
local i = 0
local c3, c5, c7 = 0, 0, 0
local fizz, buzz, fizzbuzz, bazz, all3, plain = 0, 0, 0, 0, 0, 0
local col, lines, pages = 0, 0, 0
while i < n do
    i = i + 1
    c3 = c3 + 1
    c5 = c5 + 1
    c7 = c7 + 1
    local f3, f5 = false, false
    if c3 == 3 then c3 = 0; f3 = true end
    if c5 == 5 then c5 = 0; f5 = true end
    if c7 == 7 then
        c7 = 0
        bazz = bazz + 1
        if f3 and f5 then all3 = all3 + 1 end
    end
    if f3 then
        if f5 then fizzbuzz = fizzbuzz + 1 else fizz = fizz + 1 end
    else
        if f5 then
            buzz = buzz + 1
        else
            plain = plain + 1
            col = col + 1
            if col == 10 then
                col = 0
                lines = lines + 1
                if lines == 1000 then
                    lines = 0
                    pages = pages + 1
                    print(format("page %g ends at %g", pages, i))
                end
            end
        end
    end
end
print(format("%g %g %g %g %g %g %g %g",
    fizz / n, buzz / n, fizzbuzz / n, bazz / n, all3 / n, plain / n,
    lines, col))
