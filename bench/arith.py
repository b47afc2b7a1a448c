# Escape-time fractal on an n x n grid: the steps each row takes, then the points that never escape.


def main():
    n = 200
    maxit = 500
    y = 0
    inside = 0
    while y < n:
        ci = y * 3 / n - 1.5
        row = 0
        x = 0
        while x < n:
            cr = x * 3 / n - 2
            zr = 0.0
            zi = 0.0
            zr2 = 0.0
            zi2 = 0.0
            k = 0
            while k < maxit and zr2 + zi2 < 4:
                zi = (zr + zr) * zi + ci
                zr = zr2 - zi2 + cr
                zr2 = zr * zr
                zi2 = zi * zi
                k += 1
            if k == maxit:
                inside += 1
            row += k
            x += 1
        print(y, row)
        y += 1
    print(inside)


if __name__ == "__main__":
    main()
