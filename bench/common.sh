# shellcheck shell=bash disable=SC2034
# Shared by bench/run and bench/instructions: the workload table, scaled copies, the binary.
# Sourced, not run: the variables it sets are read by those two scripts.

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_dir=$(cd "$bench_dir/.." && pwd)

python=/usr/bin/python3
lua=lua5.4

# The workloads that have a size, and the literal that sets it in all three programs.
sized_workloads=(loop nested arith print)
declare -A full_size=([loop]=10000000 [nested]=2000 [arith]=200 [print]=1000000)
# --quick and --check: small enough to keep the whole run short even for a slow build.
# nested needs a multiple of 10 (n * 3 / 10 must be a whole number in every language).
declare -A quick_size=([loop]=1000000 [nested]=500 [arith]=80 [print]=100000)
all_workloads=(loop nested arith print startup)

die() {
    echo "bench: $*" >&2
    exit 1
}

# Prints the package to install for each missing tool and exits; the argument names the tools.
require_tools() {
    local missing=() tool
    for tool in "$@"; do
        case $tool in
        python3) [[ -x $python ]] || missing+=("python3 (Debian's $python)") ;;
        lua5.4) command -v "$lua" > /dev/null || missing+=("lua5.4") ;;
        hyperfine) command -v hyperfine > /dev/null || missing+=("hyperfine") ;;
        time) [[ -x /usr/bin/time ]] || missing+=("time (for /usr/bin/time)") ;;
        cc) command -v cc > /dev/null || missing+=("gcc (for cc)") ;;
        valgrind) command -v valgrind > /dev/null || missing+=("valgrind") ;;
        cmake) command -v cmake > /dev/null || missing+=("cmake") ;;
        c++) command -v c++ > /dev/null || missing+=("g++ (for c++)") ;;
        esac
    done
    if ((${#missing[@]})); then
        echo "bench: missing tools; nothing was installed:" >&2
        printf '  %s\n' "${missing[@]}" >&2
        echo "Debian: bash deps/install.sh bench" >&2
        exit 2
    fi
}

# Sets $azuvel: $AZUVEL if given, else a Release build of this tree (rebuilt incrementally,
# so the binary measured is always the source checked out).
find_azuvel() {
    if [[ -n ${AZUVEL:-} ]]; then
        [[ -x $AZUVEL ]] || die "AZUVEL=$AZUVEL is not an executable file"
        azuvel=$AZUVEL
        return
    fi
    require_tools cmake c++
    local build_dir=${AZUVEL_BUILD_DIR:-/tmp/azuvel-bench-build}
    local log=$build_dir.log
    echo "bench: building azuvel (Release) in $build_dir; set AZUVEL to use another binary" >&2
    if ! { cmake -S "$repo_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DAZUVEL_TESTS=OFF &&
        cmake --build "$build_dir" --target azuvel -j "$(nproc)"; } > "$log" 2>&1; then
        tail -n 20 "$log" >&2
        die "the build failed; full log in $log"
    fi
    azuvel=$build_dir/azuvel
}

# Writes DIR/NAME.az, .py and .lua with the size literal replaced by SIZE.
# The literal must occur exactly once in each file, so a replacement can never go astray.
make_scaled() {
    local name=$1 size=$2 dir=$3 ext literal=${full_size[$1]}
    for ext in az py lua; do
        local source=$bench_dir/$name.$ext
        [[ $(grep -ow -- "$literal" "$source" | wc -l) == 1 ]] ||
            die "$source must hold the size $literal exactly once"
        sed "s/\\b$literal\\b/$size/" "$source" > "$dir/$name.$ext"
    done
}

# The unit one iteration of a workload counts in, and how many of them a run of size N does.
unit_name() {
    case $1 in
    loop) echo "iteration" ;;
    nested) echo "inner iteration" ;;
    arith) echo "inner step" ;;
    print) echo "line" ;;
    startup) echo "run" ;;
    esac
}

# arith's count is data-dependent: each row's step count is the second field of its output line.
unit_count() {
    local name=$1 size=$2 output=$3
    case $name in
    loop | print) echo "$size" ;;
    nested) echo $((size * size)) ;;
    arith) awk 'NF == 2 { steps += $2 } END { print steps }' "$output" ;;
    startup) echo 1 ;;
    esac
}
