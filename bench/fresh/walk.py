# A random walk driven by the generator r = 16807 r modulo 2147483647 (the remainder by a
# division and the 2^52 trick, floored): steps of -3 to 3 between walls at -40 and 40 that
# throw the walker back, with counters for hits on each wall, crossings of zero and steps spent
# above zero. Reports those counts as shares of the steps, the mean place and the widest swing.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 3000000
    big = 4503599627370496.0
    m = 2147483647.0
    r = 12345.0
    p = last = 0
    high = low = cross = above = far = total = 0
    i = 0
    while i < n:
        i += 1
        r = r * 16807
        q = r / m
        f = (q + big) - big
        if f > q:
            f = f - 1
        r = r - f * m
        d = r * 7 / m
        f = (d + big) - big
        if f > d:
            f = f - 1
        p = p + f - 3
        if p > 40:
            p = 80 - p
            high += 1
        if p < 0 - 40:
            p = 0 - 80 - p
            low += 1
        if p > 0:
            above += 1
            if last < 0:
                cross += 1
        if p < 0:
            if last > 0:
                cross += 1
        if p != 0:
            last = p
        if p * p > far:
            far = p * p
        total = total + p
    print("%g %g %g %g %g %g %g" % (high / n, low / n, cross / n, above / n, total / n, far, p))


if __name__ == "__main__":
    main()
