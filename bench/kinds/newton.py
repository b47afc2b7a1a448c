# Square roots of 1 to n by Newton's method, x = (x + k / x) / 2 from x = k until x * x is
# within a billionth of k: division-heavy iteration. Also counts the perfect squares, by
# rounding each root with the 2^52 trick. Every number is printed with "%g", as Azuvel does.


def main():
    n = 800000
    big = 4503599627370496.0
    steps = 0
    total = 0.0
    squares = 0
    k = 0
    x = 0
    while k < n:
        k += 1
        x = k
        tol = k / 1000000000
        d = x * x - k
        while d > tol:
            x = (x + k / x) / 2
            d = x * x - k
            if d < 0:
                d = -d
            steps += 1
        total += x / n
        r = (x + big) - big
        if r * r == k:
            squares += 1
    print("%g %g %g %g" % (total, steps / n, squares, x))


if __name__ == "__main__":
    main()
