# One print: the cost of starting the interpreter.


def main():
    print("hello")


if __name__ == "__main__":
    main()
