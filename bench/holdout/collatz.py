# Collatz sequences of 1 to n: halve an even number, else 3 x + 1, until 1. Evenness is
# tested by halving and the 2^52 trick (x / 2 is whole when adding 2^52 leaves it unchanged).
# Reports the mean and the longest chain, and the start that climbs highest.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 120000
    big = 4503599627370496.0
    total = longest = start = peak = high = 0
    k = 0
    while k < n:
        k += 1
        x = k
        steps = 0
        while x != 1:
            h = x / 2
            if (h + big) - big == h:
                x = h
            else:
                x = x * 3 + 1
                if x > peak:
                    peak = x
                    high = k
            steps += 1
        total += steps
        if steps > longest:
            longest = steps
            start = k
    print("%g %g %g %g" % (total / n, longest, start, high))


if __name__ == "__main__":
    main()
