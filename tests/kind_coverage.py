#!/usr/bin/env python3
"""Runs the azuvel_kinds build over scripts and fails unless every statement kind and every loop
test of the fast path ran in at least one of them; names the ones that did not.

  kind_coverage.py AZUVEL_KINDS [--scripts DIR]... [--generated N] [--seed S]

--scripts and --generated take the scripts plain_vs_fast.py takes (the same generator, the same
seed by default). Each run appends its counts to a file of its own (AZUVEL_KIND_COUNTS); a kind
that no run reached means the suite never tests its handler, whatever else it checks.
"""
import concurrent.futures
import os
import subprocess
import sys
import tempfile

from plain_vs_fast import corpus, corpus_options

TIMEOUT = 5  # a fuzz corpus holds endless loops: those count for what they reached before


def counts_of(binary, script, counts_path):
    """{("kind" | "test", NAME): count} for one run of the script, or a problem: a run that
    ends by a signal writes no counts. An endless run counts for nothing."""
    env = dict(os.environ, AZUVEL_KIND_COUNTS=counts_path)
    try:
        done = subprocess.run([binary, script], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL, env=env,
                              timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return {}
    if done.returncode not in (0, 1) or not os.path.exists(counts_path):
        return f"{script}: status {done.returncode}, no counts written"
    counts = {}
    with open(counts_path) as f:
        for line in f:
            what, name, count = line.split()
            counts[(what, name)] = counts.get((what, name), 0) + int(count)
    return counts


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    binary = os.path.abspath(args[0])
    dirs, generated, seed = corpus_options(args[1:])

    with tempfile.TemporaryDirectory() as work:
        scripts = corpus(dirs, generated, seed, work)

        def run(numbered):
            n, script = numbered
            return counts_of(binary, script, os.path.join(work, f"{n}.counts"))

        total, problems = {}, []
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            for counts in pool.map(run, enumerate(scripts)):
                if isinstance(counts, str):
                    problems.append(counts)
                    continue
                for key, count in counts.items():
                    total[key] = total.get(key, 0) + count

    if not total:
        sys.exit("no run wrote its counts: is this the azuvel_kinds build?")
    missed = [f"{what} {name}" for (what, name), count in total.items() if count == 0]
    reached = len(total) - len(missed)
    print(f"{len(scripts)} scripts reached {reached} of {len(total)} kinds and loop tests")
    for name in missed:
        print(f"NOT REACHED: {name}")
    for problem in problems[:10]:
        print(f"FAIL {problem}")
    sys.exit(1 if missed or problems else 0)


if __name__ == "__main__":
    main()
