-- One print: the cost of starting the interpreter.
print("hello")
