# Bubble sort of eight values drawn from x = 171 x modulo 30269, repeated: passes of
# compare-and-swap ifs until a pass swaps nothing. The remainder uses the 2^52 trick, which
# rounds to the nearest whole number, corrected down when it rounded up.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 300000
    m = 30269
    big = 4503599627370496.0
    x = 12345
    p1 = p2 = p3 = p4 = p5 = p6 = p7 = p8 = 0
    passes = swaps = 0
    spread = 0.0
    for _ in range(n):
        for _ in range(8):
            y = x * 171
            q = y / m
            f = (q + big) - big
            if f > q:
                f -= 1
            x = y - m * f
            p1, p2, p3, p4, p5, p6, p7, p8 = p2, p3, p4, p5, p6, p7, p8, x
        swapped = True
        while swapped:
            swapped = False
            if p1 > p2:
                p1, p2 = p2, p1
                swapped = True
            if p2 > p3:
                p2, p3 = p3, p2
                swapped = True
            if p3 > p4:
                p3, p4 = p4, p3
                swapped = True
            if p4 > p5:
                p4, p5 = p5, p4
                swapped = True
            if p5 > p6:
                p5, p6 = p6, p5
                swapped = True
            if p6 > p7:
                p6, p7 = p7, p6
                swapped = True
            if p7 > p8:
                p7, p8 = p8, p7
                swapped = True
            if swapped:
                swaps += 1
            passes += 1
        spread += (p8 - p1) / n
    print("%g %g %g %g %g" % (passes / n, spread, p1, p8, x))


if __name__ == "__main__":
    main()
