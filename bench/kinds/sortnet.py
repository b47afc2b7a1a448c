# Sorts the last six values of a random sequence with a sorting network, again and again:
# loop bodies made of runs of compare-and-swap ifs. The sequence is the generator
# x = 75 x + 74 modulo 65537, floored by the 2^52 trick (adding 2^52 rounds to a whole number).
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 2000000
    m = 65537
    big = 4503599627370496.0
    x = 1
    w1 = w2 = w3 = w4 = w5 = w6 = 0
    bad = 0
    lows = mids = highs = 0.0
    i = 0
    while i < n:
        y = x * 75 + 74
        q = y / m
        f = (q + big) - big
        if f > q:
            f -= 1
        x = y - m * f
        w1, w2, w3, w4, w5, w6 = w2, w3, w4, w5, w6, x
        a, b, c, d, e, g = w1, w2, w3, w4, w5, w6
        if a > b:
            a, b = b, a
        if c > d:
            c, d = d, c
        if e > g:
            e, g = g, e
        if b > c:
            b, c = c, b
        if d > e:
            d, e = e, d
        if a > b:
            a, b = b, a
        if c > d:
            c, d = d, c
        if e > g:
            e, g = g, e
        if b > c:
            b, c = c, b
        if d > e:
            d, e = e, d
        if a > b:
            a, b = b, a
        if c > d:
            c, d = d, c
        if e > g:
            e, g = g, e
        if b > c:
            b, c = c, b
        if d > e:
            d, e = e, d
        bad += (a > b) + (b > c) + (c > d) + (d > e) + (e > g)
        lows += a / n
        mids += (c + d) / n
        highs += g / n
        i += 1
    print("%g %g %g %g %g" % (bad, lows, mids, highs, x))


if __name__ == "__main__":
    main()
