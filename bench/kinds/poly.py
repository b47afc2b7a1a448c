# Long expressions: a degree-7 polynomial in Horner form, the exponential's Taylor series
# written term by term, and a product of factors, evaluated at n points of [-1, 1].
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 2000000
    step = 2 / n
    sp = se = sq = 0.0
    p = e = q = 0.0
    i = 0
    while i < n:
        x = i * step - 1
        p = 3 + x * (0.5 - x * (2.25 + x * (1.125 - x * (0.75 + x * (0.375 - x * (0.1875 + x * 0.09375))))))
        e = 1 + x + x * x / 2 + x * x * x / 6 + x * x * x * x / 24 + x * x * x * x * x / 120 + x * x * x * x * x * x / 720
        q = (x - 0.5) * (x + 0.25) * (x - 0.125) * (x + 1.5) - (x * x - 2) * (x * x + 3) / 7 + (x + 1) / (x * x + 1)
        sp += p
        se += e
        sq += q
        i += 1
    print("%g %g %g %g %g %g" % (sp / n, se / n, sq / n, p, e, q))


if __name__ == "__main__":
    main()
