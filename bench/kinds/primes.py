# Primes below n by trial division with odd divisors up to the square root: d divides k when
# k / d is a whole number, which the 2^52 trick tests (adding 2^52 rounds to a whole number).
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 600000
    big = 4503599627370496.0
    count, twins, prev, tests = 1, 0, 2, 0
    k = 3
    while k < n:
        prime = True
        d = 3
        while d * d < k + 1:
            q = k / d
            if (q + big) - big == q:
                prime = False
                d = k
            d += 2
            tests += 1
        if prime:
            count += 1
            if k - prev == 2:
                twins += 1
            prev = k
        k += 2
    print("%g %g %g %g" % (count, twins, prev, tests / count))


if __name__ == "__main__":
    main()
