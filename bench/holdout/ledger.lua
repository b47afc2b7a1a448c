-- A ledger of six savings accounts over n months: interest and deposits each month, a
-- withdrawal when an account passes its cap, a line per account each month and a summary each
-- year: printing, counters reset in ifs, and a couple of dozen variables.
-- io.write with "%g", as Azuvel prints numbers (print would separate items with a tab).
local write, format = io.write, string.format
local n = 140000
local month, mm, year = 0, 0, 0
local a1, a2, a3, a4, a5, a6 = 100, 250, 400, 800, 1600, 3200
local r1, r2, r3, r4, r5, r6 = 1.001, 1.002, 1.0035, 1.005, 1.0075, 1.01
local cap = 5000
local withdrawn, best = 0, 0
write(format("ledger of %g months\n", n))
while month < n do
    month = month + 1
    mm = mm + 1
    a1 = a1 * r1 + 10
    a2 = a2 * r2 + 20
    a3 = a3 * r3 + 15
    a4 = a4 * r4 + 5
    a5 = a5 * r5 + 25
    a6 = a6 * r6 + 40
    if a1 > cap then a1 = a1 - cap; withdrawn = withdrawn + 1 end
    if a2 > cap then a2 = a2 - cap; withdrawn = withdrawn + 1 end
    if a3 > cap then a3 = a3 - cap; withdrawn = withdrawn + 1 end
    if a4 > cap then a4 = a4 - cap; withdrawn = withdrawn + 1 end
    if a5 > cap then a5 = a5 - cap; withdrawn = withdrawn + 1 end
    if a6 > cap then a6 = a6 - cap; withdrawn = withdrawn + 1 end
    write(format("month %g account 1 %g account 2 %g\n", month, a1, a2))
    write(format("month %g account 3 %g account 4 %g\n", month, a3, a4))
    write(format("month %g account 5 %g account 6 %g\n", month, a5, a6))
    if mm == 12 then
        mm = 0
        year = year + 1
        local total = a1 + a2 + a3 + a4 + a5 + a6
        if total > best then best = total end
        write(format("year %g total %g withdrawals %g\n", year, total, withdrawn))
    end
end
write(format("best total %g after %g years\n", best, year))
