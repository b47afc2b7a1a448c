# Greatest common divisors of all pairs 1 <= i, j <= m by Euclid's subtraction, counting the
# coprime pairs (whose share tends to 6 / pi^2) and summing the divisors.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    m = 800
    coprime = total = subtractions = 0
    i = 1
    while i < m + 1:
        j = 1
        while j < m + 1:
            a, b = i, j
            while a != b:
                if a > b:
                    a -= b
                if b > a:
                    b -= a
                subtractions += 1
            if a == 1:
                coprime += 1
            total += a
            j += 1
        i += 1
    share = coprime / (m * m)
    pi = 0
    if coprime > 0:
        pi = 6 / share
    print("%g %g %g %g %g" % (coprime, total / (m * m), subtractions / (m * m), share, pi))


if __name__ == "__main__":
    main()
