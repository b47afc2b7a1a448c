# Integrals over [0, 1] on n panels (n even) by the composite Simpson rule, weights
# 1 4 2 4 ... 2 4 1 kept by a flag and two ifs for the ends, with the trapezoid rule beside it
# for the first: 4 / (1 + x x) (pi), x / (1 + x x x), 1 / (2 + x) (the log of 3/2) and
# x x / (1 + x) - x / 3. Each point is x = i / n, a division per point.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 2800000
    flag = 0
    s1 = s2 = s3 = s4 = t1 = 0
    i = 0
    while i < n + 1:
        x = i / n
        w = 2
        if flag == 1:
            w = 4
        if i == 0:
            w = 1
        if i == n:
            w = 1
        f = 4 / (1 + x * x)
        s1 = s1 + w * f
        if w == 1:
            t1 = t1 + f / 2
        else:
            t1 = t1 + f
        s2 = s2 + w * (x / (1 + x * x * x))
        s3 = s3 + w * (1 / (2 + x))
        s4 = s4 + w * (x * x / (1 + x) - x / 3)
        flag = 1 - flag
        i += 1
    print("%g %g %g %g %g" % (s1 / (3 * n), s2 / (3 * n), s3 / (3 * n), s4 / (3 * n), t1 / n))


if __name__ == "__main__":
    main()
