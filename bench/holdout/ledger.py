# A ledger of six savings accounts over n months: interest and deposits each month, a
# withdrawal when an account passes its cap, a line per account each month and a summary each
# year: printing, counters reset in ifs, and a couple of dozen variables.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 140000
    month = mm = year = 0
    a1, a2, a3, a4, a5, a6 = 100, 250, 400, 800, 1600, 3200
    r1, r2, r3, r4, r5, r6 = 1.001, 1.002, 1.0035, 1.005, 1.0075, 1.01
    cap = 5000
    withdrawn = best = 0
    print("ledger of %g months" % n)
    while month < n:
        month += 1
        mm += 1
        a1 = a1 * r1 + 10
        a2 = a2 * r2 + 20
        a3 = a3 * r3 + 15
        a4 = a4 * r4 + 5
        a5 = a5 * r5 + 25
        a6 = a6 * r6 + 40
        if a1 > cap:
            a1 -= cap
            withdrawn += 1
        if a2 > cap:
            a2 -= cap
            withdrawn += 1
        if a3 > cap:
            a3 -= cap
            withdrawn += 1
        if a4 > cap:
            a4 -= cap
            withdrawn += 1
        if a5 > cap:
            a5 -= cap
            withdrawn += 1
        if a6 > cap:
            a6 -= cap
            withdrawn += 1
        print("month %g account 1 %g account 2 %g" % (month, a1, a2))
        print("month %g account 3 %g account 4 %g" % (month, a3, a4))
        print("month %g account 5 %g account 6 %g" % (month, a5, a6))
        if mm == 12:
            mm = 0
            year += 1
            total = a1 + a2 + a3 + a4 + a5 + a6
            if total > best:
                best = total
            print("year %g total %g withdrawals %g" % (year, total, withdrawn))
    print("best total %g after %g years" % (best, year))


if __name__ == "__main__":
    main()
