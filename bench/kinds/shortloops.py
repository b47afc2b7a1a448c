# A small random sequence x = 11 x + 7 modulo 1009, reduced by repeated subtraction, and the
# digits of each value counted off the same way: many short arithmetic loops.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 3000000
    x = 7
    total = low = 0
    i = 0
    while i < n:
        x = x * 11 + 7
        while x > 1008:
            x -= 1009
        d = x
        digits = 0
        while d > 99:
            d -= 100
            digits += 1
        while d > 9:
            d -= 10
            digits += 1
        total += digits + d
        if x < 100:
            low += 1
        i += 1
    print("%g %g %g" % (total / n, low, x))


if __name__ == "__main__":
    main()
