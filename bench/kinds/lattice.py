# Counts lattice points of an r x r quadrant inside a circle, an ellipse and a tilted band:
# conditions of four or more operands on the two counters.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    r = 2000
    r2 = r * r
    half = r2 / 2
    circle = ellipse = band = ring = 0
    i = 0
    while i < r:
        j = 0
        while j < r:
            if i * i + j * j < r2:
                circle += 1
            if i * i + j * j + i * j < r2:
                ellipse += 1
            if (i - j) * (i - j) * 4 + i + j < half:
                band += 1
            if i * i + j * j < r2 and i * i + j * j > half:
                ring += 1
            j += 1
        i += 1
    print("%g %g %g %g" % (circle * 4 / r2, ellipse / r2, band / r2, ring / r2))


if __name__ == "__main__":
    main()
