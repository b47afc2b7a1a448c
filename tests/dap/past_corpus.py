#!/usr/bin/env python3
"""Runs dap_past_test over script folders and generated scripts (plain_vs_fast.py's generator).

    past_corpus.py DAP_PAST_TEST [--scripts DIR]... [--generated N] [--seed S]
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from plain_vs_fast import corpus, corpus_options  # noqa: E402


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    dirs, generated, seed = corpus_options(sys.argv[2:])
    with tempfile.TemporaryDirectory() as work:
        scripts = [s for s in corpus(dirs, generated, seed, work) if s.endswith(".az")]
        sys.exit(subprocess.run([os.path.abspath(sys.argv[1])] + scripts).returncode)


if __name__ == "__main__":
    main()
