# Counts through the numbers 0 to n - 1 as eight digits on an odometer (the carry ripples
# through nested ifs; nothing is divided). For each number: a lucky ticket when the sum of the
# first four digits equals that of the last four, a palindrome, digits that never fall from left
# to right, and a number equal to the sum of the cubes of its digits, printed as it is found.
# Reports the three counts and the largest digit sum seen.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 3000000
    d0 = d1 = d2 = d3 = d4 = d5 = d6 = d7 = 0
    lucky = mirror = rising = top = 0
    i = 0
    while i < n:
        low = d0 + d1 + d2 + d3
        high = d4 + d5 + d6 + d7
        if low == high:
            lucky += 1
        if low + high > top:
            top = low + high
        if d0 == d7:
            if d1 == d6:
                if d2 == d5:
                    if d3 == d4:
                        mirror += 1
        if d7 < d6 + 1:
            if d6 < d5 + 1:
                if d5 < d4 + 1:
                    if d4 < d3 + 1:
                        if d3 < d2 + 1:
                            if d2 < d1 + 1:
                                if d1 < d0 + 1:
                                    rising += 1
        cubes = d0 * d0 * d0 + d1 * d1 * d1 + d2 * d2 * d2 + d3 * d3 * d3 + d4 * d4 * d4 \
            + d5 * d5 * d5 + d6 * d6 * d6 + d7 * d7 * d7
        if cubes == i:
            print("sum of cubes of its digits: %g" % i)
        i += 1
        d0 += 1
        if d0 == 10:
            d0 = 0
            d1 += 1
            if d1 == 10:
                d1 = 0
                d2 += 1
                if d2 == 10:
                    d2 = 0
                    d3 += 1
                    if d3 == 10:
                        d3 = 0
                        d4 += 1
                        if d4 == 10:
                            d4 = 0
                            d5 += 1
                            if d5 == 10:
                                d5 = 0
                                d6 += 1
                                if d6 == 10:
                                    d6 = 0
                                    d7 += 1
    print("lucky %g palindromes %g never falling %g top digit sum %g" % (lucky, mirror, rising,
                                                                           top))


if __name__ == "__main__":
    main()
