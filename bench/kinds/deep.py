# Deep nesting: four nested whiles with ifs between them count the ways to write 2n as
# a + b + c + d with 1 <= a <= b <= c <= d <= n, those among them with a * d == b * c, and
# the share of quadruples visited whose sum of squares is below n * n.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 140
    target = n + n
    nn = n * n
    ways = proportional = small = visited = 0
    a = 1
    while a < n + 1:
        b = a
        while b < n + 1:
            if a + b + b < target:
                c = b
                while c < n + 1:
                    if a + b + c + c < target + 1:
                        d = c
                        while d < n + 1:
                            total = a + b + c + d
                            if total == target:
                                ways += 1
                                if a * d == b * c:
                                    proportional += 1
                            if a * a + b * b + c * c + d * d < nn:
                                small += 1
                            visited += 1
                            d += 1
                    c += 1
            b += 1
        a += 1
    print("%g %g %g %g" % (ways, proportional, small / visited, visited / nn))


if __name__ == "__main__":
    main()
