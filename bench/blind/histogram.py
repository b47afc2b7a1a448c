# n values from the generator r = (1664525 r + 1013904223) modulo 2^32, each scaled to x in
# [0, 100). Keeps a running mean and variance (Welford's update), the smallest and largest
# value, a histogram of ten buckets of width 10 (the bucket's number floored with the 2^52
# trick, then one if per bucket) and the longest run of rising values. Reports the mean, the
# variance, the extremes, each bucket as a share of n and the longest run.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 3000000
    big = 4503599627370496.0
    m = 4294967296.0
    r = 20261209.0
    mean = m2 = 0.0
    lo, hi = 100.0, 0.0
    b0 = b1 = b2 = b3 = b4 = b5 = b6 = b7 = b8 = b9 = 0
    prev = 0 - 1
    run = longest = 0
    i = 0
    while i < n:
        i += 1
        r = r * 1664525 + 1013904223
        q = r / m
        f = (q + big) - big
        if f > q:
            f = f - 1
        r = r - f * m
        x = r / m * 100
        delta = x - mean
        mean = mean + delta / i
        m2 = m2 + delta * (x - mean)
        if x < lo:
            lo = x
        if x > hi:
            hi = x
        q = x / 10
        k = (q + big) - big
        if k > q:
            k = k - 1
        if k == 0:
            b0 += 1
        if k == 1:
            b1 += 1
        if k == 2:
            b2 += 1
        if k == 3:
            b3 += 1
        if k == 4:
            b4 += 1
        if k == 5:
            b5 += 1
        if k == 6:
            b6 += 1
        if k == 7:
            b7 += 1
        if k == 8:
            b8 += 1
        if k == 9:
            b9 += 1
        up = x > prev
        if up:
            run += 1
            if run > longest:
                longest = run
        if not up:
            run = 1
        prev = x
    print("mean %g variance %g range %g %g" % (mean, m2 / n, lo, hi))
    print("buckets %g %g %g %g %g %g %g %g %g %g" % (b0 / n, b1 / n, b2 / n, b3 / n, b4 / n,
                                                     b5 / n, b6 / n, b7 / n, b8 / n, b9 / n))
    print("longest rising run %g" % longest)


if __name__ == "__main__":
    main()
