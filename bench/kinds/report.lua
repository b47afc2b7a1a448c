-- A long report: each row prints a number, its square, half and 2 / (2 r + 1) between strings,
-- with a rule every ten rows and a page heading every thousand: printing-heavy, whole numbers
-- and fractions mixed. io.write with "%g", as Azuvel prints numbers (print would separate
-- items with a tab).
local write, format = io.write, string.format
local n = 300000
local i, r, page, c = 0, 0, 1, 0
write(format("report of %g rows\n", n))
write(format("page %g\n", page))
while i < n do
    i = i + 1
    r = r + 1
    local sq = r * r
    local half = r / 2
    local inv = 2 / (r + r + 1)
    write(format("row %g square %g half %g\n", r, sq, half))
    write(format("%g is two over %g and a half\n", inv, r))
    c = c + 1
    if c == 10 then
        c = 0
        write("----------\n")
        if r == 1000 then
            r = 0
            page = page + 1
            write(format("page %g\n", page))
        end
    end
end
write(format("end of report after %g rows\n", i))
