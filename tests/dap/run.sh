#!/usr/bin/env bash
# Installs the protocol's test client (pinned by package-lock.json) and drives azuvel-dap with it.
#
#   bash tests/dap/run.sh build/azuvel-dap
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
adapter="$(realpath "${1:?usage: tests/dap/run.sh AZUVEL_DAP}")"
cd "$here"
npm ci --no-audit --no-fund --loglevel=error
AZUVEL_DAP="$adapter" node --test adapter.test.mjs
