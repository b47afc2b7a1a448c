#!/usr/bin/env bash
# Reliability checks for CI: the whole test suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang and g++), a 60-second fuzz run of the whole pipeline,
# 30-second ones of the checker, of the language server's message reader and of the debug
# adapter's, a 20-second one of the formatter, the pipeline's corpus through the checker's
# differential test, and valgrind
# memcheck over the golden scripts and the command-line cases.
#
#   bash fuzz/ci.sh            about 6 minutes on two cores
#   AZUVEL_CI_VALGRIND=0 ...   without the valgrind pass
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
export DEBIAN_FRONTEND=noninteractive

bash deps/install.sh build tests ci

for compiler in clang++ g++; do
    echo "== whole test suite under ASan and UBSan, $compiler"
    build="build-sanitize-$compiler"
    rm -rf "$build"
    cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=Debug \
        -DAZUVEL_SANITIZE=ON -DAZUVEL_WERROR=ON >/dev/null
    cmake --build "$build" -j2 >/dev/null
    ASAN_OPTIONS=detect_stack_use_after_return=1 \
        ctest --test-dir "$build" --output-on-failure -j2
done

echo "== fuzz smoke run, 60 s"
rm -rf build-fuzz
AZUVEL_FUZZ_DIR="$root/build-fuzz" bash fuzz/run 60
echo "== the fuzz corpus through the sanitizer build of the real binary"
python3 tests/run_golden.py build-sanitize-clang++/azuvel --replay build-fuzz/corpus
echo "== checker fuzz smoke run, 30 s, and the pipeline's corpus through the differential test"
AZUVEL_FUZZ_DIR="$root/build-fuzz" AZUVEL_FUZZ_TARGET=fuzz_check bash fuzz/run 30
build-sanitize-clang++/tests/check/check_differential . build-fuzz/corpus 0
echo "== formatter fuzz smoke run, 20 s: no crash or hang, tokens kept, its output a fixed point"
AZUVEL_FUZZ_DIR="$root/build-fuzz" AZUVEL_FUZZ_TARGET=fuzz_fmt bash fuzz/run 20
echo "== fuzz smoke run of the language server's message reader, 30 s"
rm -rf build-fuzz-lsp
AZUVEL_FUZZ_DIR="$root/build-fuzz-lsp" bash fuzz/run_lsp 30
echo "== fuzz smoke run of the debug adapter's message reader, 30 s"
rm -rf build-fuzz-dap
AZUVEL_FUZZ_DIR="$root/build-fuzz-dap" bash fuzz/run_dap 30

if [ "${AZUVEL_CI_VALGRIND:-1}" != 0 ]; then
    echo "== valgrind memcheck over the golden scripts and the command-line cases"
    rm -rf build-valgrind
    cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAZUVEL_TESTS=OFF \
        -DAZUVEL_STATIC=OFF >/dev/null
    cmake --build build-valgrind -j2 >/dev/null
    export AZUVEL_WRAPPER="valgrind -q --error-exitcode=99 --errors-for-leak-kinds=none"
    pids=()
    for what in tests/golden/* --cli; do
        if [ "$what" = --cli ] || [ -d "$what" ]; then
            log="${what##*/}"
            python3 tests/run_golden.py build-valgrind/azuvel "$what" >"build-valgrind/${log#--}.log" 2>&1 &
            pids+=($!)
        fi
    done
    status=0
    for pid in "${pids[@]}"; do wait "$pid" || status=1; done
    for log in build-valgrind/*.log; do echo "${log##*/}: $(tail -1 "$log")"; done
    if [ "$status" -ne 0 ]; then
        grep -h -A3 FAIL build-valgrind/*.log >&2
        exit 1
    fi
fi
echo "== reliability checks passed"
