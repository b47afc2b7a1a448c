# Two nested loops over an n x n grid with an if and a nested if on both counters.


def main():
    n = 2000
    lim = n * 3 // 10
    cap = n * 5 // 2
    i = 0
    j = 0
    a = 0
    b = 0
    while i < n:
        j = 0
        while j < n:
            if i - j > lim:
                a += 1
                if (i + j) * 2 < cap:
                    b += 1
            j += 1
        i += 1
    print(a, b)


if __name__ == "__main__":
    main()
