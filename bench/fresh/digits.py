# Digits of 3 * k * k + k for k = 1 to n, taken off one by one by a division by 10 floored with
# the 2^52 trick: the digit sum, the number read backwards (to count those that read the same
# both ways) and the digital root, by summing the digits of the sum again until one is left.
# Reports the mean digit sum, the largest and where, the count that read the same both ways
# and the shares of roots 9 and 1.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 600000
    big = 4503599627370496.0
    total = most = at = same = nines = ones = 0
    k = 0
    while k < n:
        k += 1
        v = 3 * k * k + k
        x = v
        s = rev = 0
        while x > 0:
            q = x / 10
            f = (q + big) - big
            if f > q:
                f = f - 1
            d = x - f * 10
            s = s + d
            rev = rev * 10 + d
            x = f
        total = total + s
        if s > most:
            most = s
            at = k
        if rev == v:
            same += 1
        root = s
        while root > 9:
            x = root
            root = 0
            while x > 0:
                q = x / 10
                f = (q + big) - big
                if f > q:
                    f = f - 1
                root = root + (x - f * 10)
                x = f
        if root == 9:
            nines += 1
        if root == 1:
            ones += 1
    print("%g %g %g %g %g %g" % (total / n, most, at, same, nines / n, ones / n))


if __name__ == "__main__":
    main()
