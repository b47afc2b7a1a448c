# Many variables: a lagged Fibonacci generator, t = v1 + v25 modulo 1000, kept in 48 named
# variables that shift down one place a step, with tallies of the values in eight bins:
# about 60 variables used in one loop. Every number is printed with "%g", as Azuvel does.


def main():
    n = 3000000
    i = 0
    t = 0
    total = 0
    bin0 = bin1 = bin2 = bin3 = bin4 = bin5 = bin6 = bin7 = 0
    v1, v2, v3, v4, v5, v6, v7, v8 = 48, 85, 122, 159, 196, 233, 270, 307
    v9, v10, v11, v12, v13, v14, v15, v16 = 344, 381, 418, 455, 492, 529, 566, 603
    v17, v18, v19, v20, v21, v22, v23, v24 = 640, 677, 714, 751, 788, 825, 862, 899
    v25, v26, v27, v28, v29, v30, v31, v32 = 936, 973, 10, 47, 84, 121, 158, 195
    v33, v34, v35, v36, v37, v38, v39, v40 = 232, 269, 306, 343, 380, 417, 454, 491
    v41, v42, v43, v44, v45, v46, v47, v48 = 528, 565, 602, 639, 676, 713, 750, 787
    while i < n:
        t = v1 + v25
        if t > 999:
            t -= 1000
        (v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15, v16,
         v17, v18, v19, v20, v21, v22, v23, v24, v25, v26, v27, v28, v29, v30, v31, v32,
         v33, v34, v35, v36, v37, v38, v39, v40, v41, v42, v43, v44, v45, v46, v47, v48) = (
            v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15, v16, v17,
            v18, v19, v20, v21, v22, v23, v24, v25, v26, v27, v28, v29, v30, v31, v32, v33,
            v34, v35, v36, v37, v38, v39, v40, v41, v42, v43, v44, v45, v46, v47, v48, t)
        total += t
        if t < 500:
            if t < 250:
                if t < 125:
                    bin0 += 1
                else:
                    bin1 += 1
            else:
                if t < 375:
                    bin2 += 1
                else:
                    bin3 += 1
        else:
            if t < 750:
                if t < 625:
                    bin4 += 1
                else:
                    bin5 += 1
            else:
                if t < 875:
                    bin6 += 1
                else:
                    bin7 += 1
        i += 1
    print("%g %g %g %g %g %g %g %g" % (bin0, bin1, bin2, bin3, bin4, bin5, bin6, bin7))
    print("%g %g %g %g %g %g %g %g %g" % (total / n, v1, v2, v3, v4, v5, v6, v7, v8))


if __name__ == "__main__":
    main()
