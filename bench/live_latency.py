#!/usr/bin/env python3
"""Live values in azuvel-lsp, as an editor sees them, on a script of 999 tokens (the most a
script may hold) whose loop runs about a million statements:

- edit -> hints: from a didChange to the answer of the textDocument/inlayHint request sent
  right after it, which waits for the live run of the new text (a million statements);
- edit -> diagnostics with live runs on: from a didChange to its publishDiagnostics while the
  live run of the text before is still going (each edit cancels it), the case where a thread
  running scripts could delay the checker.

    python3 bench/live_latency.py build/azuvel-lsp [ROUNDS]     default 20 rounds
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "lsp"))
from lsp_client import Client  # noqa: E402
from lsp_latency import script, summary  # noqa: E402

# 51 statements a pass (the loop's own assignment, 44 more and 6 prints): 19,607 passes make
# 999,957 statements, with the 99 declarations and the while itself 1,000,057 steps: the run
# reaches the step budget at its very end.
PASSES = 19607
EVERYWHERE = {"start": {"line": 0, "character": 0}, "end": {"line": 1000, "character": 0}}


def long_script(typo):
    return script(typo).replace("while (v0 < 3)", f"while (v0 < {PASSES})")


def main():
    server = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    client = Client(server)
    client.initialize()
    uri = "file:///bench/live.az"
    # Each edit adds a comment: the text changes, the run stays as long.
    text = long_script(False)
    client.open(uri, text)
    hinted, stops = [], set()
    for n in range(rounds):
        start = time.perf_counter()
        client.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": n + 2},
                                                 "contentChanges": [{"text": f"{text}# {n}\n"}]})
        answer = client.request("textDocument/inlayHint", {"textDocument": {"uri": uri},
                                                           "range": EVERYWHERE})
        hinted.append(time.perf_counter() - start)
        stops.update(h["label"] for h in answer["result"] if "stop" in h["label"])
    published = []
    version = rounds + 2
    client.notifications.clear()  # the diagnostics of the edits above: timed below afresh
    for n in range(rounds * 10):
        version += 1
        start = time.perf_counter()
        client.change(uri, f"{text}# {version}\n", version)
        published.append(time.perf_counter() - start)
    assert client.finish() == 0
    print(f"script: 999 tokens, {PASSES} passes of 51 statements; where the runs stopped: "
          f"{sorted(stops)}")
    summary("didChange -> inlayHint answered (a run of ~1,000,000 steps)", hinted)
    summary("didChange -> publishDiagnostics, a live run going on", published)


if __name__ == "__main__":
    main()
