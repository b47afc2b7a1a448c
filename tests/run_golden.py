#!/usr/bin/env python3
"""End-to-end tests against the built interpreter.

  run_golden.py AZUVEL DIR          every DIR/*.az, expectations read from its comments
  run_golden.py AZUVEL --cli        the command-line table
  run_golden.py AZUVEL --generated  scripts built here: capacities, sizes, raw bytes
  run_golden.py AZUVEL --replay DIR every file in DIR (a fuzz corpus): any outcome but a crash

AZUVEL_WRAPPER, when set, is a command put in front of every run of the interpreter, for
example AZUVEL_WRAPPER="valgrind -q --error-exitcode=99 --errors-for-leak-kinds=none"; a
fault it reports shows as a wrong status or unexpected standard error.

In a golden script, "# expect: T" is one line T of standard output, "# expect-raw: T" is T
with no newline, and "# error: M" means standard error is exactly "[Error] M" and a newline
and the status is 1. With no "# error:" line, standard error must be empty and the status 0.
"""
import os
import pty
import random
import select
import shlex
import signal
import socket
import subprocess
import sys
import tempfile
import time

WRAPPER = shlex.split(os.environ.get("AZUVEL_WRAPPER", ""))
TIMEOUT = 200 if WRAPPER else 20
CLOSED = "closed"  # stdout_file value: the interpreter starts with standard output closed


class Case:
    def __init__(self, name, args, stdout=b"", stderr=b"", status=0, stdout_file=None):
        self.name, self.args = name, args
        self.stdout, self.stderr, self.status = stdout, stderr, status
        self.stdout_file = stdout_file  # run with standard output sent to this path


def error_line(message):
    return b"[Error] " + message + b"\n"


def expectations(script):
    """Reads the expected stdout, stderr and status from a golden script's comments."""
    stdout, stderr, status = b"", b"", 0
    for line in script.split(b"\n"):
        line = line.removesuffix(b"\r")
        if line.startswith(b"# expect: "):
            stdout += line[len(b"# expect: "):] + b"\n"
        elif line.startswith(b"# expect-raw: "):
            stdout += line[len(b"# expect-raw: "):]
        elif line.startswith(b"# error: "):
            stderr, status = error_line(line[len(b"# error: "):]), 1
    return stdout, stderr, status


def command(binary, args):
    return [*WRAPPER, binary, *args]


def run(binary, case):
    if case.stdout_file == CLOSED:
        result = subprocess.run(command(binary, case.args), stderr=subprocess.PIPE,
                                stdin=subprocess.DEVNULL, timeout=TIMEOUT,
                                preexec_fn=lambda: os.close(1))
        stdout = b""
    elif case.stdout_file is not None:
        with open(case.stdout_file, "wb") as out:
            result = subprocess.run(command(binary, case.args), stdout=out, stderr=subprocess.PIPE,
                                    stdin=subprocess.DEVNULL, timeout=TIMEOUT)
        stdout = b"" if case.stdout_file == "/dev/full" else open(case.stdout_file, "rb").read()
    else:
        result = subprocess.run(command(binary, case.args), capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=TIMEOUT)
        stdout = result.stdout
    problems = []
    if stdout != case.stdout:
        problems.append(f"stdout: expected {case.stdout[:300]!r}, got {stdout[:300]!r}")
    if result.stderr != case.stderr:
        problems.append(f"stderr: expected {case.stderr!r}, got {result.stderr[:300]!r}")
    if result.returncode != case.status:
        problems.append(f"status: expected {case.status}, got {result.returncode}")
    return problems


def golden_cases(directory):
    for name in sorted(os.listdir(directory)):
        if name.endswith(".az"):
            path = os.path.join(directory, name)
            with open(path, "rb") as f:
                stdout, stderr, status = expectations(f.read())
            yield Case(name, [path], stdout, stderr, status)


USAGE = (b"Usage: azuvel [options] [script]\n"
         b"Options:\n"
         b"  -v, --version   Show version information\n")
VERSION = b"Azuvel Re+4.0.0-Beta\nA simple interpreted programming language\n"


def cli_cases(work):
    hello = os.path.join(work, "hello.az")
    with open(hello, "wb") as f:
        f.write(b'print("hi");\n')
    late_error = os.path.join(work, "late_error.az")
    with open(late_error, "wb") as f:
        f.write(b'print("kept");\nprint(zz);\n')
    captured = os.path.join(work, "captured.txt")
    # More output than the interpreter buffers, so writes happen while the script runs.
    many_lines = b"".join(b"%d\n" % i for i in range(20000))
    big = write_script(work, "big.az", b"var i = 0; while (i < 20000) { print(i); i = i + 1; }\n")
    big_then_error = write_script(work, "big_then_error.az",
                                  b"var i = 0; while (i < 20000) { print(i); i = i + 1; }\n"
                                  b"print(zz);\n")
    fifo = os.path.join(work, "fifo.az")  # a named pipe with no writer must not hang the run
    os.mkfifo(fifo)
    listening = socket.socket(socket.AF_UNIX)  # a socket is refused like a pipe
    sock = os.path.join(work, "socket.az")
    listening.bind(sock)
    _, terminal = os.openpty()  # a character device that cannot seek: its size means nothing
    long_text = b"0123456789abcdef" * 8192  # 128 KiB: one write larger than the buffer
    long_string = write_script(work, "long_string.az",
                               b'print("a");\nprint("' + long_text + b'");\nprint("z");\n')
    return [
        Case("no argument", [], USAGE + b"  <script>        Run an Azuvel script file\n"),
        Case("two arguments", [hello, hello], USAGE, status=1),
        Case("three arguments", ["-v", "-v", "-v"], USAGE, status=1),
        Case("-v", ["-v"], VERSION),
        Case("--version", ["--version"], VERSION),
        Case("-V is a file name", ["-V"], stderr=error_line(b"Cannot open file: -V"), status=1),
        Case("-version is a file name", ["-version"],
             stderr=error_line(b"Cannot open file: -version"), status=1),
        Case("-h is a file name", ["-h"], stderr=error_line(b"Cannot open file: -h"), status=1),
        Case("missing file", [os.path.join(work, "none.az")],
             stderr=error_line(b"Cannot open file: " + os.path.join(work, "none.az").encode()),
             status=1),
        Case("directory", [work], stderr=error_line(b"Cannot open file: " + work.encode()),
             status=1),
        Case("named pipe", [fifo], stderr=error_line(b"Cannot open file: " + fifo.encode()),
             status=1),
        Case("socket", [sock], stderr=error_line(b"Cannot open file: " + sock.encode()),
             status=1),
        Case("terminal", [os.ttyname(terminal)],
             stderr=error_line(b"Cannot open file: " + os.ttyname(terminal).encode()), status=1),
        # Character devices of size 0 that seek are empty scripts; /dev/zero is never read.
        Case("/dev/null", ["/dev/null"]),
        Case("/dev/zero", ["/dev/zero"]),
        Case("script", [hello], b"hi\n"),
        Case("output before an error is kept in a file", [late_error], b"kept\n",
             error_line(b"Undefined variable: zz"), 1, stdout_file=captured),
        Case("output before an error is kept in a pipe", [late_error], b"kept\n",
             error_line(b"Undefined variable: zz"), 1),
        Case("full disk", [hello], stderr=error_line(b"Cannot write to standard output"),
             status=1, stdout_file="/dev/full"),
        Case("full disk and a script error", [late_error],
             stderr=error_line(b"Undefined variable: zz"), status=1, stdout_file="/dev/full"),
        Case("usage to a full disk", [], stderr=error_line(b"Cannot write to standard output"),
             status=1, stdout_file="/dev/full"),
        Case("more than the buffer to a full disk", [big],
             stderr=error_line(b"Cannot write to standard output"), status=1,
             stdout_file="/dev/full"),
        Case("more than the buffer, then an error, to a full disk", [big_then_error],
             stderr=error_line(b"Cannot write to standard output"), status=1,
             stdout_file="/dev/full"),
        Case("more than the buffer, then an error, all kept", [big_then_error], many_lines,
             error_line(b"Undefined variable: zz"), 1, stdout_file=captured),
        Case("a string longer than the buffer", [long_string], b"a\n" + long_text + b"\nz\n"),
        Case("a string longer than the buffer to a full disk", [long_string],
             stderr=error_line(b"Cannot write to standard output"), status=1,
             stdout_file="/dev/full"),
        Case("standard output closed", [hello],
             stderr=error_line(b"Cannot write to standard output"), status=1, stdout_file=CLOSED),
        Case("standard output closed and a script error", [late_error],
             stderr=error_line(b"Undefined variable: zz"), status=1, stdout_file=CLOSED),
        Case("version to a closed standard output", ["-v"],
             stderr=error_line(b"Cannot write to standard output"), status=1, stdout_file=CLOSED),
    ]


def check_reader_closes_early(binary, work):
    """A reader that stops after one line ends the interpreter by SIGPIPE, as it does filters."""
    path = write_script(work, "endless_output.az",
                        b"var i = 0; while (i < 1000000) { print(i); i = i + 1; }\n")
    process = subprocess.Popen(command(binary, [path]), stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    first = process.stdout.readline()
    process.stdout.close()
    try:
        stderr = process.stderr.read()
        status = process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        process.kill()
        return ["still running after its reader went away"]
    problems = []
    if first != b"0\n":
        problems.append(f"first line {first!r}")
    if status != -signal.SIGPIPE or stderr != b"":
        problems.append(f"expected death by SIGPIPE and no message, got status {status}, "
                        f"stderr {stderr[:200]!r}")
    return problems


def check_terminal_sees_each_print(binary, work):
    """On a terminal a print shows at once, even when the script never ends."""
    path = write_script(work, "print_then_loop.az", b'print("a");\nwhile (1) { }\n')
    controller, terminal = pty.openpty()
    process = subprocess.Popen(command(binary, [path]), stdout=terminal,
                               stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    os.close(terminal)
    seen, deadline = b"", time.monotonic() + TIMEOUT
    while b"a" not in seen and time.monotonic() < deadline:
        if select.select([controller], [], [], 0.1)[0]:
            try:
                seen += os.read(controller, 100)
            except OSError:  # the terminal is gone: the interpreter ended on its own
                break
    process.kill()
    process.wait()
    os.close(controller)
    return [] if seen.startswith(b"a") else [f"before the kill the terminal showed {seen!r}"]


def write_script(work, name, data):
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def generated_cases(work):
    cases = []

    def add(name, data, stdout=b"", message=None):
        path = write_script(work, name, data)
        cases.append(Case(name, [path], stdout, error_line(message) if message else b"",
                          1 if message else 0))

    # Token capacity: 999 tokens and the end token run; one more is refused before any output.
    body = b'print("x");' + b"1;" * 496  # 5 + 2 * 496 = 997 tokens
    add("999 tokens", body + b"2;", b"x\n")
    add("999 tokens, the last one wrong", body + b"2 3", b"x\n", b"Expected ';'")
    add("1000 tokens", body + b"2;3", message=b"Too many tokens")
    add("far too many tokens", b"1;" * 100000, message=b"Too many tokens")

    # Variable capacity: 100 entries fit, the 101st is refused after its initialiser runs.
    declarations = b"".join(b"var v%d = %d;\n" % (i, i) for i in range(100))
    add("100 variables", declarations + b"print(v0, v99);\n", b"0 99\n")
    add("101 variables", declarations + b"var extra = 1;\n", message=b"Too many variables")
    add("101st initialiser fails first", declarations + b"var extra = zz;\n",
        message=b"Undefined variable: zz")
    add("var in a loop fills the store",
        b"var i = 0;\nwhile (i < 200) { var t = i; i = i + 1; }\n",
        message=b"Too many variables")

    # Nesting as deep as the token capacity allows.
    add("deep parentheses", b"var x = " + b"(" * 494 + b"7" + b")" * 494 + b";print(x);",
        b"7\n")
    add("deep if blocks", b"if (1) {" * 160 + b'print("deep");' + b"}" * 160, b"deep\n")
    add("deep false if blocks", b"if (0) {" * 160 + b"}" * 160 + b'print("after");',
        b"after\n")
    add("deep while loops", b"var i = 0;" + b"while (i < 1) {" * 120 + b"i = 1;" + b"}" * 120
        + b"print(i);", b"1\n")

    # Size: megabytes of comments and whitespace run through in one pass.
    add("megabytes of comments", (b"# a comment line of some length, nothing else\n" * 100000
                                  + b" \t\r\n" * 200000 + b'print("end");'), b"end\n")
    add("megabytes in one string", b'var s = "' + b"x" * 5000000 + b'"; print("ok");', b"ok\n")
    add("megabytes in one name", b"var " + b"n" * 3000000 + b" = 1; print(1);", b"1\n")

    # Raw bytes.
    add("empty file", b"")
    add("only NUL bytes", b"\0" * 1000)
    add("NUL ends the text", b'print("a");\0print("b");', b"a\n")
    add("byte-order mark", b'\xef\xbb\xbfprint("a");', message=b"Unknown character: \xef")
    for byte in (0x80, 0xA0, 0xC3, 0xFF, 0x01, 0x7F, ord("@"), ord("$"), ord("'"), ord("`")):
        add("byte %02x" % byte, b"print(1);" + bytes([byte]),
            message=b"Unknown character: " + bytes([byte]))
    add("bytes above 0x7f in a string", b'print("\x80\xff\xc3\xa9");', b"\x80\xff\xc3\xa9\n")
    add("bytes above 0x7f in a comment", b"# \x80\xff\n#sg<\xfe>\nprint(1);", b"1\n")
    add("unterminated string", b'print("a");\nprint("abc', message=b"Unterminated string")
    add("unterminated string after backslash quote", b'print("abc\\"',
        message=b"Unterminated string")
    add("CR LF line ends", b'#sg<nel>\r\nprint("a");\r\nprint("b");\r\n', b"ab")
    add("bytes 0x80 to 0xff", bytes(range(0x80, 0x100)), message=b"Unknown character: \x80")
    add("every byte value, NUL first", bytes(range(256)))
    add("every byte value but NUL", bytes(range(1, 256)), message=b"Unknown character: \x01")

    # Unbalanced braces in every kind of block: a skip stops at the end token, a block that
    # runs meets the end token as a statement.
    for name, script, stdout, message in [
        ("false if", b'if (0) { print("x");', b"", b"Expected '}'"),
        ("true if", b'if (1) { print("x");', b"x\n", b"Expected expression"),
        ("while body, false condition", b'while (0) { print("x");', b"", b"Expected '}'"),
        ("while body, true condition", b"var i = 0; while (i < 2) { i = i + 1;", b"",
         b"Expected '}'"),
        ("block inside a false if", b"if (0) { if (1) { }", b"", b"Expected '}'"),
        ("true if around a closed loop", b'if (1) { print("in"); while (0) { }', b"in\n",
         b"Expected expression"),
        ("loop around a closed loop", b"var i = 0; while (i < 1) { while (0) { } i = 1;", b"",
         b"Expected '}'"),
        ("loop around a closed if", b"var i = 0; while (i < 2) { if (1) { i = i + 1; }", b"",
         b"Expected '}'"),
        ("false if at depth 100", b"if (0) {" * 100 + b"}" * 99, b"", b"Expected '}'"),
        ("true if at depth 100", b"if (1) {" * 100 + b'print("deep");' + b"}" * 99,
         b"deep\n", b"Expected expression"),
        ("loop at depth 100", b"while (0) {" * 100 + b"}" * 99, b"", b"Expected '}'"),
        ("one closing brace too many", b'if (1) { print("a"); } }', b"a\n",
         b"Expected expression"),
        ("closing brace in a string", b'if (0) { print("}");', b"", b"Expected '}'"),
        ("closing brace in a comment", b"if (0) { # }\n", b"", b"Expected '}'"),
        ("opening brace in a string", b'if (0) { print("{"); } print("after");', b"after\n",
         None),
    ]:
        add("unbalanced: " + name, script, stdout, message)

    # A script cut short anywhere.
    for name, script, stdout, message in [
        ("inside a string", b'print("a");\nprint("ab', b"", b"Unterminated string"),
        ("inside a loop body", b"var i = 0;\nwhile (i < 3) { print(i); i = i", b"",
         b"Expected '}'"),
        ("inside a loop condition", b"var i = 0;\nwhile (i < 3", b"", b"Expected ')'"),
        ("inside a true if", b'if (1) { print("a"); print("b"', b"a\nb", b"Expected ','"),
        ("after '='", b"var x =", b"", b"Expected expression"),
        ("after a name", b'print("a");\nx', b"a\n", b"Unexpected identifier"),
        ("inside the header directive", b'#sg<ne', b"", None),
    ]:
        add("truncated " + name, script, stdout, message)
    return cases


def random_cases(work):
    """Random bytes and random token soup: any outcome but a crash or a malformed error."""
    rng = random.Random(20261208)
    pieces = [b"var ", b"x", b"y", b" = ", b"1", b"0", b".5", b"+", b"-", b"*", b"/", b"(", b")",
              b"{", b"}", b";", b",", b"==", b"<", b">", b"!=", b"if", b"while", b"print",
              b'"s"', b'"nel"', b"\n", b"#sg<nel>", b"&&", b"||", b"!"]
    for i in range(150):
        if i % 3 == 0:
            data = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 400)))
        else:
            data = b"var x = 1; var y = 2;" + b"".join(rng.choice(pieces)
                                                         for _ in range(rng.randrange(1, 200)))
        yield write_script(work, "random%03d.az" % i, data)


TRUNCATED_SOURCE = b"""#sg<nel>
var n = 2.50; var s = "a \\"b\\" {c} # d";
while (n < 5) { if (n > 3) { print(s, n, "nel"); } n = n + 1; }
if (0) { print(zz); } print(n, 1.50, "x");
"""


def truncated_cases(work):
    """The same script cut after every byte: any outcome but a crash or a malformed error."""
    for length in range(len(TRUNCATED_SOURCE)):
        yield write_script(work, "truncated%03d.az" % length, TRUNCATED_SOURCE[:length])


def check_random(binary, path, timeout=TIMEOUT / 4):
    try:
        # Standard output is not looked at: an endless loop may print without end.
        result = subprocess.run(command(binary, [path]), stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                                timeout=timeout)
    except subprocess.TimeoutExpired:
        return []  # an endless loop in the script is the script's own
    lines = result.stderr.split(b"\n")
    if result.returncode == 0 and result.stderr == b"":
        return []
    if result.returncode == 1 and len(lines) == 2 and lines[0].startswith(b"[Error] ") \
            and lines[1] == b"":
        return []
    return [f"status {result.returncode}, stderr {result.stderr[:200]!r}"]


def main():
    binary, what = sys.argv[1], sys.argv[2]
    passed = failed = 0
    with tempfile.TemporaryDirectory() as work:
        if what == "--replay":
            cases = []
            for name in sorted(os.listdir(sys.argv[3])):
                # A fuzz corpus holds endless loops, which only the fuzz build cuts short.
                problems = check_random(binary, os.path.join(sys.argv[3], name), timeout=1)
                if problems:
                    failed += 1
                    print(f"FAIL {name}: {problems[0]}")
                else:
                    passed += 1
        elif what == "--cli":
            cases = cli_cases(work)
        elif what == "--generated":
            cases = generated_cases(work)
        else:
            cases = list(golden_cases(what))
        for case in cases:
            problems = run(binary, case)
            if problems:
                failed += 1
                print(f"FAIL {case.name}")
                for problem in problems:
                    print(f"    {problem}")
            else:
                passed += 1
        if what == "--cli":
            problems = check_reader_closes_early(binary, work)
            for problem in problems:
                print(f"FAIL reader closes the pipe early: {problem}")
            failed, passed = (failed + 1, passed) if problems else (failed, passed + 1)
            problems = check_terminal_sees_each_print(binary, work)
            for problem in problems:
                print(f"FAIL print on a terminal: {problem}")
            failed, passed = (failed + 1, passed) if problems else (failed, passed + 1)
        if what == "--generated":
            for path in [*random_cases(work), *truncated_cases(work)]:
                problems = check_random(binary, path)
                if problems:
                    failed += 1
                    print(f"FAIL {os.path.basename(path)}: {problems[0]}")
                else:
                    passed += 1
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed or not passed else 0)


if __name__ == "__main__":
    main()
