# A counter from 0 to n in a while loop; "%g" because Azuvel prints every number that way.


def main():
    n = 10000000
    i = 0
    while i < n:
        i += 1
    print("%g" % i)


if __name__ == "__main__":
    main()
