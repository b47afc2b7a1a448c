# FizzBuzz-like counting: counters for 3, 5 and 7 reset inside nested ifs, and the plain
# numbers laid out ten to a line and 1000 lines to a page, with a line printed for each page.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 12000000
    i = 0
    c3 = c5 = c7 = 0
    fizz = buzz = fizzbuzz = bazz = all3 = plain = 0
    col = lines = pages = 0
    while i < n:
        i += 1
        c3 += 1
        c5 += 1
        c7 += 1
        f3 = f5 = False
        if c3 == 3:
            c3 = 0
            f3 = True
        if c5 == 5:
            c5 = 0
            f5 = True
        if c7 == 7:
            c7 = 0
            bazz += 1
            if f3 and f5:
                all3 += 1
        if f3:
            if f5:
                fizzbuzz += 1
            else:
                fizz += 1
        elif f5:
            buzz += 1
        else:
            plain += 1
            col += 1
            if col == 10:
                col = 0
                lines += 1
                if lines == 1000:
                    lines = 0
                    pages += 1
                    print("page %g ends at %g" % (pages, i))
    print("%g %g %g %g %g %g %g %g" % (
        fizz / n, buzz / n, fizzbuzz / n, bazz / n, all3 / n, plain / n, lines, col))


if __name__ == "__main__":
    main()
