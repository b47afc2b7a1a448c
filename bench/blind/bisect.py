# Roots of x^3 - 2x - c = 0 for c = 0.05, 0.10, ... (n values) by bisection: from [0, 1] the
# upper end doubles until the cubic is positive there, then the bracket is halved until it is
# narrower than 1e-9. Sums the roots and the halvings, keeps the largest root and the largest
# value of the cubic left at a root, and reports those with the last root.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 210000
    steps = total = largest = worst = 0
    mid = 0
    k = 0
    while k < n:
        k += 1
        c = k * 0.05
        lo, hi = 0, 1
        f = hi * hi * hi - 2 * hi - c
        while f < 0:
            lo = hi
            hi = hi * 2
            f = hi * hi * hi - 2 * hi - c
        while hi - lo > 0.000000001:
            mid = (lo + hi) / 2
            f = mid * mid * mid - 2 * mid - c
            if f < 0:
                lo = mid
            if f > 0:
                hi = mid
            if f == 0:
                lo = mid
                hi = mid
            steps += 1
        mid = (lo + hi) / 2
        total = total + mid
        if mid > largest:
            largest = mid
        f = mid * mid * mid - 2 * mid - c
        if f < 0:
            f = 0 - f
        if f > worst:
            worst = f
    print("mean root %g mean halvings %g" % (total / n, steps / n))
    print("largest root %g largest residue %g last root %g" % (largest, worst, mid))


if __name__ == "__main__":
    main()
