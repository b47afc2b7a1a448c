-- Repayment schedules of n loans. Each loan's principal, yearly rate and term in months come
-- from counters that wrap round; the monthly payment is P r g / (g - 1) with g = (1 + r) to the
-- power of the term, built by repeated multiplication. The schedule then runs month by month:
-- interest, the payment, half a payment more each twelfth month, and the overpayment of the
-- last month handed back. Reports the mean interest, the mean months saved against the term,
-- the most interest any loan paid and which one, and the mean refund.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 40000
local c5, c7, c4 = 0, 0, 0
local total, saved, refund, most, at = 0, 0, 0, 0, 0
local loan = 0
while loan < n do
    loan = loan + 1
    c5 = c5 + 1
    if c5 == 5 then c5 = 0 end
    c7 = c7 + 1
    if c7 == 7 then c7 = 0 end
    c4 = c4 + 1
    if c4 == 4 then c4 = 0 end
    local principal = 20000 + c5 * 15000 + loan
    local r = (0.03 + c7 * 0.0075) / 12
    local term = 120 + c4 * 80
    local g = 1
    local j = 0
    while j < term do
        g = g * (1 + r)
        j = j + 1
    end
    local pay = principal * r * g / (g - 1)
    local bal = principal
    local month, mm, paid = 0, 0, 0
    while bal > 0 do
        month = month + 1
        mm = mm + 1
        local interest = bal * r
        paid = paid + interest
        bal = bal + interest - pay
        if mm == 12 then
            mm = 0
            bal = bal - pay / 2
        end
        if bal < 0 then
            refund = refund + (0 - bal)
            bal = 0
        end
    end
    saved = saved + (term - month)
    total = total + paid
    if paid > most then most = paid; at = loan end
end
print(string.format("%g %g %g %g %g", total / n, saved / n, most, at, refund / n))
