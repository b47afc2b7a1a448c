# A long report: each row prints a number, its square, half and 2 / (2 r + 1) between strings,
# with a rule every ten rows and a page heading every thousand: printing-heavy, whole numbers
# and fractions mixed. Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 300000
    i = r = c = 0
    page = 1
    print("report of %g rows" % n)
    print("page %g" % page)
    while i < n:
        i += 1
        r += 1
        sq = r * r
        half = r / 2
        inv = 2 / (r + r + 1)
        print("row %g square %g half %g" % (r, sq, half))
        print("%g is two over %g and a half" % (inv, r))
        c += 1
        if c == 10:
            c = 0
            print("----------")
            if r == 1000:
                r = 0
                page += 1
                print("page %g" % page)
    print("end of report after %g rows" % i)


if __name__ == "__main__":
    main()
