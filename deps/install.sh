#!/usr/bin/env bash
# Installs the Debian packages that the named jobs need (deps/debian.txt) and the machine lacks:
# as root directly, otherwise through sudo (which asks for a password only when standard input
# is a terminal). What cannot be installed is named in one line, with the command to install
# it, and the build goes on without it: CMake leaves out what it cannot build or test. Under
# CI=true a package left out is a failure.
# Usage: deps/install.sh JOB...     (jobs: build tests ci web bench)
set -uo pipefail
list="$(dirname "${BASH_SOURCE[0]}")/debian.txt"
[ $# -gt 0 ] || { echo "usage: deps/install.sh JOB... (build tests ci web bench)" >&2; exit 2; }

wanted=()
while read -r package jobs; do
    case $package in '' | '#'*) continue ;; esac
    for job in "$@"; do
        if [[ " $jobs " == *" $job "* ]]; then
            # A program of the package's name found elsewhere counts too (npm comes with
            # some builds of nodejs).
            dpkg -s "$package" >/dev/null 2>&1 || type -P "$package" >/dev/null ||
                wanted+=("$package")
            break
        fi
    done
done <"$list"
[ ${#wanted[@]} -gt 0 ] || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        as_root=(none)
    elif [ -t 0 ]; then
        as_root=(sudo)
    elif sudo -n true 2>/dev/null; then
        as_root=(sudo -n)
    else
        as_root=(none)
    fi
fi
if [ "${as_root[*]}" = none ]; then
    echo "azuvel: not installed (no root, no sudo): ${wanted[*]}; install them with:" \
         "sudo apt-get install -y ${wanted[*]}" >&2
    [ "${CI:-}" != true ]  # CI must have everything
    exit
fi

export DEBIAN_FRONTEND=noninteractive
echo "azuvel: installing Debian packages for $*: ${wanted[*]}"
"${as_root[@]}" apt-get update -qq || true
if ! "${as_root[@]}" apt-get install -y -qq "${wanted[@]}" </dev/null >/dev/null; then
    # One package this release lacks must not keep out the rest.
    left_out=()
    for package in "${wanted[@]}"; do
        "${as_root[@]}" apt-get install -y -qq "$package" </dev/null >/dev/null ||
            left_out+=("$package")
    done
    if [ ${#left_out[@]} -gt 0 ]; then
        echo "azuvel: could not install ${left_out[*]}; what needs them is left out" >&2
        [ "${CI:-}" != true ] || exit 1
    fi
fi
exit 0
