#!/usr/bin/env python3
"""Live notes held to the run over the golden scripts and generated ones: azuvel runs each
script, and live_check compares the live run's notes with what azuvel printed, the debugger's
engine's store at the end, and where the engine stops on an error.

    live_property.py AZUVEL LIVE_CHECK [--scripts DIR]... [--generated N] [--seed S]
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from plain_vs_fast import corpus, corpus_options  # noqa: E402


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    azuvel, live_check = sys.argv[1], sys.argv[2]
    dirs, generated, seed = corpus_options(sys.argv[3:])
    with tempfile.TemporaryDirectory() as work:
        rows = []
        for n, script in enumerate(corpus(dirs, generated, seed, work)):
            out, err = os.path.join(work, f"{n}.out"), os.path.join(work, f"{n}.err")
            with open(out, "wb") as stdout, open(err, "wb") as stderr:
                try:
                    status = subprocess.run([azuvel, script], stdout=stdout, stderr=stderr,
                                            timeout=5).returncode
                except subprocess.TimeoutExpired:
                    continue  # endless: the live run is cut, and holds to nothing
            rows.append(f"{script}\t{out}\t{err}\t{status}\n")
        listing = os.path.join(work, "list")
        with open(listing, "w") as f:
            f.writelines(rows)
        sys.exit(subprocess.run([live_check, listing]).returncode)


if __name__ == "__main__":
    main()
