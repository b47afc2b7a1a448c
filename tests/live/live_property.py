#!/usr/bin/env python3
"""Live notes held to the run over the golden scripts and generated ones: azuvel runs each
script, and live_check compares the live run's notes with what azuvel printed, the debugger's
engine's store at the end, and where the engine stops on an error.

    live_property.py AZUVEL LIVE_CHECK [--scripts DIR]... [--generated N] [--seed S]
"""
import concurrent.futures
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from plain_vs_fast import corpus, corpus_options  # noqa: E402


def run_azuvel(azuvel, work, numbered):
    """azuvel's run of one script: its list row, or None for one that does not end."""
    n, script = numbered
    out, err = os.path.join(work, f"{n}.out"), os.path.join(work, f"{n}.err")
    with open(out, "wb") as stdout, open(err, "wb") as stderr:
        try:
            status = subprocess.run([azuvel, script], stdout=stdout, stderr=stderr,
                                    timeout=5).returncode
        except subprocess.TimeoutExpired:
            return None  # endless: the live run is cut, and holds to nothing
    return f"{script}\t{out}\t{err}\t{status}\n"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    azuvel, live_check = sys.argv[1], sys.argv[2]
    dirs, generated, seed = corpus_options(sys.argv[3:])
    with tempfile.TemporaryDirectory() as work:
        scripts = enumerate(corpus(dirs, generated, seed, work))
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            rows = [row for row in pool.map(lambda s: run_azuvel(azuvel, work, s), scripts) if row]
        listing = os.path.join(work, "list")
        with open(listing, "w") as f:
            f.writelines(rows)
        sys.exit(subprocess.run([live_check, listing]).returncode)


if __name__ == "__main__":
    main()
