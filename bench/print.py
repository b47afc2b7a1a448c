# One million print statements of a number and a string: formatting and output.


def main():
    n = 1000000
    i = 0
    while i < n:
        print(i, "line")
        i += 1


if __name__ == "__main__":
    main()
