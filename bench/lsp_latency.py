#!/usr/bin/env python3
"""Response time of azuvel-lsp for diagnostics on a script of 999 tokens, the most a script
may hold: from the notification (didOpen or didChange) to the publishDiagnostics it causes,
as the client sees it.

    python3 bench/lsp_latency.py build/azuvel-lsp [ROUNDS]     default 200 rounds
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "lsp"))
from lsp_client import Client  # noqa: E402


def script(typo):
    """999 tokens, the most a script may hold, and 99 variables: `var v0 = 0;` (5 tokens),
    98 `var vI = vJ + 1;` (7 each), and a loop (8) around `v0 = v0 + 1;` (6), 44 assignments
    `vI = vI + vJ;` (6 each) and 6 `print(vI);` (5 each). With `typo`, one name of the loop
    is misspelt: an error with a "did you mean"."""
    lines = ["var v0 = 0;"]
    lines += [f"var v{i} = v{i - 1} + 1;" for i in range(1, 99)]
    lines += ["while (v0 < 3) {", "  v0 = v0 + 1;"]
    lines += [f"  v{i} = v{i} + v{i + 1};" for i in range(1, 45)]
    if typo:
        lines[-1] = lines[-1].replace("+ v45", "+ v4b")
    lines += [f"  print(v{i});" for i in range(1, 7)]
    lines.append("}")
    return "\n".join(lines) + "\n"


def summary(name, times):
    times = sorted(t * 1000 for t in times)
    p95 = times[int(len(times) * 0.95) - 1]
    print(f"{name}: {len(times)} runs, min {times[0]:.2f} ms, median "
          f"{statistics.median(times):.2f} ms, p95 {p95:.2f} ms, max {times[-1]:.2f} ms")


def main():
    server = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    client = Client(server)
    client.initialize()
    texts = [script(False), script(True)]
    opened, changed = [], []
    published = [None, None]  # diagnostics of each text
    for n in range(rounds):
        uri = f"file:///bench/{n}.az"
        start = time.perf_counter()
        published[n % 2] = len(client.open(uri, texts[n % 2]))
        opened.append(time.perf_counter() - start)
        start = time.perf_counter()
        client.change(uri, texts[(n + 1) % 2], 2)
        changed.append(time.perf_counter() - start)
        client.notify("textDocument/didClose", {"textDocument": {"uri": uri}})
        client.diagnostics(uri)
    assert client.finish() == 0
    print(f"script: 999 tokens, 99 variables; diagnostics published: {published[0]}, "
          f"{published[1]} with the misspelt name")
    summary("didOpen -> publishDiagnostics", opened)
    summary("didChange -> publishDiagnostics", changed)


if __name__ == "__main__":
    main()
