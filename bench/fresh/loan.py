# Repayment schedules of n loans. Each loan's principal, yearly rate and term in months come
# from counters that wrap round; the monthly payment is P r g / (g - 1) with g = (1 + r) to the
# power of the term, built by repeated multiplication. The schedule then runs month by month:
# interest, the payment, half a payment more each twelfth month, and the overpayment of the
# last month handed back. Reports the mean interest, the mean months saved against the term,
# the most interest any loan paid and which one, and the mean refund.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 40000
    c5 = c7 = c4 = 0
    total = saved = refund = most = at = 0
    loan = 0
    while loan < n:
        loan += 1
        c5 += 1
        if c5 == 5:
            c5 = 0
        c7 += 1
        if c7 == 7:
            c7 = 0
        c4 += 1
        if c4 == 4:
            c4 = 0
        principal = 20000 + c5 * 15000 + loan
        r = (0.03 + c7 * 0.0075) / 12
        term = 120 + c4 * 80
        g = 1
        j = 0
        while j < term:
            g = g * (1 + r)
            j += 1
        pay = principal * r * g / (g - 1)
        bal = principal
        month = mm = paid = 0
        while bal > 0:
            month += 1
            mm += 1
            interest = bal * r
            paid = paid + interest
            bal = bal + interest - pay
            if mm == 12:
                mm = 0
                bal = bal - pay / 2
            if bal < 0:
                refund = refund + (0 - bal)
                bal = 0
        saved = saved + (term - month)
        total = total + paid
        if paid > most:
            most = paid
            at = loan
    print("%g %g %g %g %g" % (total / n, saved / n, most, at, refund / n))


if __name__ == "__main__":
    main()
