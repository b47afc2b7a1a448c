#!/usr/bin/env python3
"""Runs the interpreter and its plain build (linked with the plain unit: no caches, no fast
paths) on the same scripts and fails on any difference in standard output, standard error or status.

  plain_vs_fast.py FAST PLAIN [--scripts DIR]... [--generated N] [--seed S]

--scripts takes every *.az under DIR (a missing DIR is skipped, so a fuzz corpus that has
not been made yet costs nothing); with no suffix in a corpus, every file counts. --generated
writes N scripts of loops whose conditions or bodies fail only on a later pass, names
declared after their first use, declarations repeated in loops, divisions by zero deep in an
expression that ran before, string variables that turn into numbers, and names read just
after a statement running for the first time stored them, chains of statements each reading
what the one before stored, and loops counting up or down to their test; nearly a third of
them have one word deleted, doubled or replaced. Operands include nan, inf and -0 (names set
at the start: inf from a literal too large for a double, nan as inf - inf, -0 as 0 * (0 - 1)),
and statements and conditions take every shape the fast path has a kind for: one, two or three
operands, groups of two and three, longer chains, and a comparison of any two of them, half of
the scripts starting with a loop of such statements, which run trusted on its later passes.
"""
import concurrent.futures
import os
import random
import resource
import subprocess
import sys
import tempfile

FAST_TIMEOUT = 1  # a fuzz corpus holds endless loops: those are skipped
PLAIN_TIMEOUT = 60
OUTPUT_LIMIT = 8 << 20  # bytes of output a run may write before SIGXFSZ stops it


def run(binary, script, out_dir, tag, timeout):
    """(stdout, stderr, status) of one run, or None when it did not end in time."""
    out_path = os.path.join(out_dir, tag + ".out")
    with open(out_path, "wb") as out:
        try:
            done = subprocess.run([binary, script], stdout=out, stderr=subprocess.PIPE,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
    with open(out_path, "rb") as f:
        return f.read(), done.stderr, done.returncode


def compare(fast, plain, script, out_dir, tag):
    """A problem description, "endless", or None when both builds agree."""
    fast_result = run(fast, script, out_dir, tag + ".fast", FAST_TIMEOUT)
    if fast_result is None:
        return "endless"
    plain_result = run(plain, script, out_dir, tag + ".plain", PLAIN_TIMEOUT)
    if plain_result is None:
        return "the plain build did not finish"
    for what, f, p in zip(("stdout", "stderr", "status"), fast_result, plain_result):
        if f != p:
            return f"{what} differs: fast {f[:200]!r}, plain {p[:200]!r}"
    return None


NAMES = ["a", "b", "c", "s", "t"]  # all declared at the start; "late" only by a var statement
# Declared at the start and never stored to: values whose comparisons and signs the fast path
# must treat as the walk does.
SPECIALS = {"inf": "1" + "0" * 309, "nan": "inf - inf", "nz": "0 * (0 - 1)"}
NUMBERS = ["0", "1", "2", "3", "0.5", "10", "007", "1.2.3", ".5", "4.", "2", "3"]
OPERATORS = ["+", "-", "*", "/", "==", "!=", "<", ">"]
ARITHMETIC = OPERATORS[:4]
COMPARISONS = OPERATORS[4:]


class Generator:
    def __init__(self, rng):
        self.rng = rng
        self.counters = []  # loop counters in scope, innermost last

    def operand(self):
        r = self.rng.random()
        if r < 0.03:
            return "(0 * (0 - 1))"  # -0, whose sign a sum must keep or lose as the walk does
        if r < 0.1:
            return self.rng.choice(list(SPECIALS))
        if r < 0.35:
            return self.rng.choice(NUMBERS)
        if r < 0.55 and self.counters:
            return self.rng.choice(self.counters)
        if r < 0.985:
            return self.rng.choice(NAMES)
        return self.rng.choice(['"str"', "late"])

    def expression(self, depth=0):
        r = self.rng.random()
        if depth > 2 or r < 0.3:
            return self.operand()
        if r < 0.45:
            return "(" + self.expression(depth + 1) + ")"
        if r < 0.48 and self.counters:
            # Zero only on one pass of the loop.
            k = self.rng.choice(self.counters)
            return f"{self.expression(depth + 1)} / ({k} - {self.rng.randint(0, 3)})"
        if r < 0.75:
            # A flat chain, so that precedence and associativity decide its value.
            parts = [self.operand() for _ in range(self.rng.randint(2, 8))]
            return " ".join(p + " " + self.rng.choice(OPERATORS) for p in parts[:-1]) + " " + parts[-1]
        return (self.expression(depth + 1) + " " + self.rng.choice(OPERATORS) + " "
                + self.expression(depth + 1))

    def shaped(self):
        """An expression of one of the shapes the fast path runs on its own: an operand, two or
        three operands, a group among two or three primaries, a longer chain, or "(a)". One
        operand in five is nan, inf or -0, whose comparisons a fast path gets wrong most easily;
        a "/" before an operand divides by a number that is not zero, so that the statement
        lives on to run again, trusted."""
        template = self.rng.choice(["a", "a ? a", "a ? a ? a", "(a ? a) ? a", "a ? (a ? a)",
                                    "(a ? a) ? a ? a", "a ? (a ? a) ? a", "long", "(a)"])
        if template == "long":
            template = " ".join(["a ?"] * self.rng.randint(3, 5)) + " a"
        words, op = [], None
        for word in template.split():
            if word == "?":
                op = self.rng.choice(ARITHMETIC)
                words.append(op)
                continue
            if op == "/" and word.lstrip("(") == word:
                operand = self.rng.choice(["2", "3", "0.5", "10", "inf", "nan"])
            elif self.rng.random() < 0.2:
                operand = self.rng.choice(list(SPECIALS))
            else:
                operand = self.rng.choice(NUMBERS + NAMES + self.counters)
            words.append(word.replace("a", operand))
            op = None
        return " ".join(words)

    def shaped_condition(self):
        """A shaped expression, or two joined by one comparison, most often with one operand on
        the right, as the kinds split on a comparison have it."""
        if self.rng.random() < 0.2:
            return self.shaped()
        right = self.operand() if self.rng.random() < 0.5 else self.shaped()
        return f"{self.shaped()} {self.rng.choice(COMPARISONS)} {right}"

    def shapes_loop(self):
        """A loop of a few passes over ifs and assignments of every shape: each runs checked on
        the first pass and trusted on the later ones, where a wrong kind shows."""
        self.counters.append("k")
        body = []
        for _ in range(self.rng.randint(2, 5)):
            if self.rng.random() < 0.6:
                body += [f"if ({self.shaped_condition()}) {{", 'print("in");', "}"]
            else:
                name = self.rng.choice(NAMES)
                body += [f"{name} = {self.shaped()};", f"print({name});"]
        self.counters.pop()
        return ["k = 0;", f"while (k < {self.rng.randint(2, 3)}) {{"] + body + ["k = k + 1;", "}"]

    def block(self, depth, size):
        return [s for _ in range(size) for s in self.statement(depth)]

    def statement(self, depth):
        r = self.rng.random()
        name = self.rng.choice(NAMES)
        if r < 0.08:
            # Three operands and two arithmetic operators: each pair of operators has its kind.
            a, b = (self.rng.choice(ARITHMETIC) for _ in range(2))
            return [f"{name} = {self.operand()} {a} {self.operand()} {b} {self.operand()};",
                    f"print({name});"]
        if r < 0.25:
            return [f"{name} = {self.expression()};"]
        if r < 0.3:
            return [f"{name} = {self.rng.choice(NAMES + self.counters)};"]
        if r < 0.34 and self.counters:
            # A name stored, stored again by a statement that first runs on a later pass, then
            # read at once: the read must see the second store.
            k = self.rng.choice(self.counters)
            other = self.rng.choice(NAMES)
            return [f"{name} = {self.expression()};",
                    f"if ({k} == {self.rng.randint(0, 3)}) {{", f"{name} = {self.expression()};",
                    "}", f"{other} = {name} {self.rng.choice(OPERATORS)} {self.operand()};"]
        if r < 0.36:
            return self.chain(depth)
        if r < 0.37:
            return [f"{name} = {self.shaped()};"]
        if r < 0.38:
            name = self.rng.choice(NAMES + ["late"])
            value = '"str"' if self.rng.random() < 0.3 else self.expression()
            return [f"var {name} = {value};"]
        if r < 0.43 and self.counters:
            # In a loop, so that the if also runs trusted, on a later pass.
            return ([f"if ({self.shaped_condition()}) {{", 'print("in");']
                    + self.block(depth + 1, self.rng.randint(0, 2)) + ["}"])
        if r < 0.6:
            extra = ['"nel"', '"x y"', "1.50"] + self.counters
            items = [self.rng.choice(NAMES + extra) for _ in range(self.rng.randint(0, 4))]
            return ["print(" + ", ".join(items) + ");"]
        if r < 0.62:
            return [f"({self.expression()});"]
        if r < 0.75 or depth >= 3:
            entered = []
            if self.rng.random() < 0.4:
                # Whether the block was entered shows even when the block does nothing else.
                condition, entered = self.shaped_condition(), ['print("in");']
            elif self.counters and self.rng.random() < 0.6:
                k = self.rng.choice(self.counters)
                comparison = self.rng.choice(['>', '<', '==', '!='])
                condition = self.rng.choice([
                    f"{k} {comparison} {self.rng.randint(0, 3)}",
                    f"{k} {self.rng.choice(OPERATORS)} 1 {comparison} {self.rng.randint(0, 3)}",
                    f"{self.rng.randint(0, 3)} {comparison} {k} * {self.operand()}"])
            else:
                condition = self.expression()
            return ([f"if ({condition}) {{"] + entered
                    + self.block(depth + 1, self.rng.randint(0, 3)) + ["}"])
        return self.loop(depth)

    def chain(self, depth):
        """Statements each reading the name the one before stored, with ifs on it, where any of
        them may first run on a later pass of a loop or divide by a zero it just stored."""
        a, b, c = (self.rng.choice(NAMES) for _ in range(3))
        op = self.rng.choice(OPERATORS)
        comparison = self.rng.choice(['>', '<', '==', '!='])
        lines = [f"{a} = {self.expression()};", f"{b} = {a} {op} {self.operand()};",
                 f"if ({b} {comparison} {self.rng.randint(0, 3)}) {{"]
        lines += self.block(depth + 1, self.rng.randint(0, 2)) + ["}"]
        lines += [f"{c} = {self.rng.choice([a, b])};", f"if ({c}) {{"]
        lines += self.block(depth + 1, self.rng.randint(0, 2)) + ["}"]
        if self.counters and self.rng.random() < 0.5:
            k = self.rng.choice(self.counters)
            lines = [f"if ({k} == {self.rng.randint(1, 3)}) {{"] + lines + ["}"]
        return lines

    def loop(self, depth):
        k = f"i{depth}"
        limit = self.rng.choice([0, 1, 2, 3, 3, 4, 5])
        e = self.expression()
        # Each condition is true only while the counter is on the way to the limit, whatever
        # e is; the counter is stored last in the body, so the test reads what was just stored.
        start, step = 0, f"{k} = {k} + 1;"
        condition = self.rng.choice([f"{k} < {limit}", f"{k} < {limit} - 0 * ({e})",
                                     f"({k} < {limit}) > 0 * ({e})",
                                     f"({k} < {limit}) * (({e}) == ({e}))",
                                     f"{k} != {limit}", f"{limit} > {k}", f"{limit} - {k}",
                                     f"({k} < {limit}) == 1", f"{k} + 1 != {limit} + 1",
                                     "once", "down", "down"])
        if condition == "once":
            condition = f"{k} == 0"
        if condition == "down":
            start, step = limit, f"{k} = {k} - 1;"
            condition = self.rng.choice([f"{k} > 0", f"{k} != 0", f"{k} + 0", f"{k}"])
        self.counters.append(k)
        body = self.block(depth + 1, self.rng.randint(1, 4))
        if self.rng.random() < 0.7:
            body.append("print(" + ", ".join(self.rng.sample(NAMES, 3)) + ");")
        self.counters.pop()
        return [f"{k} = {start};", f"while ({condition}) {{"] + body + [step, "}"]

    def script(self):
        lines = [f"var i{d} = 0;" for d in range(4)]
        lines += [f"var {n} = {value};" for n, value in SPECIALS.items()]
        lines += [f"var {n} = {self.rng.choice(NUMBERS)};" for n in NAMES if n != "s"]
        lines.append('var s = "text";')
        lines.append("var k = 0;")
        if self.rng.random() < 0.5:
            lines += self.shapes_loop()
        lines += self.block(0, self.rng.randint(2, 6))
        text = "\n".join(lines) + "\n"
        if self.rng.random() < 0.3:
            text = self.mutate(text)
        return text

    def mutate(self, text):
        tokens = text.split(" ")
        at = self.rng.randrange(len(tokens))
        action = self.rng.random()
        if action < 0.4:
            del tokens[at]
        elif action < 0.6:
            tokens.insert(at, tokens[at])
        else:
            tokens[at] = self.rng.choice([";", ")", "(", "=", "+", "/", "0", "zz", '"s"', "var"])
        return " ".join(tokens)


def corpus_options(args):
    """The scripts asked for: (--scripts DIR..., --generated N, --seed S)."""
    dirs, generated, seed = [], 0, 1
    for i in range(0, len(args), 2):
        if args[i] == "--scripts":
            dirs.append(args[i + 1])
        elif args[i] == "--generated":
            generated = int(args[i + 1])
        elif args[i] == "--seed":
            seed = int(args[i + 1])
        else:
            sys.exit(f"unknown argument: {args[i]}")
    return dirs, generated, seed


def corpus(dirs, generated, seed, work):
    """Every script under the folders, then `generated` new ones written into `work`."""
    scripts = []
    for d in dirs:
        for root, _, files in os.walk(d):
            scripts += [os.path.join(root, f) for f in sorted(files)
                        if f.endswith(".az") or "." not in f]
    rng = random.Random(seed)
    for n in range(generated):
        path = os.path.join(work, f"gen{n}.az")
        with open(path, "w") as f:
            f.write(Generator(rng).script())
        scripts.append(path)
    return scripts


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        sys.exit(__doc__)
    fast, plain = os.path.abspath(args[0]), os.path.abspath(args[1])
    dirs, generated, seed = corpus_options(args[2:])

    # Inherited by every run; set here rather than in each child, so that starting one is cheap.
    resource.setrlimit(resource.RLIMIT_FSIZE, (OUTPUT_LIMIT, OUTPUT_LIMIT))
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    with tempfile.TemporaryDirectory() as work:
        scripts = corpus(dirs, generated, seed, work)

        def check(numbered):
            n, script = numbered
            return script, compare(fast, plain, script, work, str(n))

        failed = endless = 0
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            for script, problem in pool.map(check, enumerate(scripts)):
                if problem == "endless":
                    endless += 1
                elif problem:
                    failed += 1
                    if failed <= 10:
                        print(f"FAIL {script}: {problem}")
                        if script.startswith(work):
                            with open(script) as f:
                                print(f.read())
        print(f"{len(scripts) - failed - endless} scripts agree, {failed} differ, "
              f"{endless} skipped as endless")
        sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
