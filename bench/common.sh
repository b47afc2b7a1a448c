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
# nested needs a multiple of 10 (n * 3 / 10 must be a whole number in every language);
# simpson an even number (its rule pairs the panels).
declare -A quick_size=([loop]=1000000 [nested]=500 [arith]=80 [print]=100000)
all_workloads=(loop nested arith print startup)

# Two more sets of programs, each NAME.az with NAME.lua and NAME.py in its own folder.
# kinds: one typical small program of each kind of script (bench/kinds).
# holdout: programs of similar kinds but other code, left out of tuning (bench/holdout).
# fresh: four programs written after the tuning for the other sets was done, never tuned on
# (bench/fresh).
# blind: five programs written after all tuning, by someone who had not looked at the
# interpreter's fast path; never to be tuned on (bench/blind).
# classic is the five workloads above. Each program has one size literal, as above.
kinds_programs=(sortnet fizz lattice newton shortloops primes report poly deep manyvars)
holdout_programs=(bubble collatz gcd ledger)
fresh_programs=(walk digits loan simpson)
blind_programs=(histogram rule30 springs tickets bisect)
full_size+=([sortnet]=2000000 [fizz]=12000000 [lattice]=2000 [newton]=800000
    [shortloops]=3000000 [primes]=600000 [report]=300000 [poly]=2000000 [deep]=140
    [manyvars]=3000000 [bubble]=300000 [collatz]=120000 [gcd]=800 [ledger]=140000
    [walk]=3000000 [digits]=600000 [loan]=40000 [simpson]=2800000
    [histogram]=3000000 [rule30]=700000 [springs]=3000000 [tickets]=3000000 [bisect]=210000)
quick_size+=([sortnet]=200000 [fizz]=1000000 [lattice]=600 [newton]=80000
    [shortloops]=300000 [primes]=100000 [report]=30000 [poly]=200000 [deep]=70
    [manyvars]=300000 [bubble]=30000 [collatz]=15000 [gcd]=250 [ledger]=14000
    [walk]=300000 [digits]=60000 [loan]=4000 [simpson]=280000
    [histogram]=300000 [rule30]=70000 [springs]=300000 [tickets]=300000 [bisect]=21000)
# What each program stands for, for the table.
declare -A kind_of=([loop]="bare loop" [nested]="nested loops, ifs" [arith]="float arithmetic"
    [print]="printing" [startup]="start-up"
    [sortnet]="runs of compare-and-swap ifs" [fizz]="counters reset in nested ifs"
    [lattice]="conditions of 4+ operands" [newton]="division-heavy iteration"
    [shortloops]="short arithmetic loops" [primes]="trial division"
    [report]="printing, strings and numbers" [poly]="long expressions"
    [deep]="deep nesting" [manyvars]="many variables"
    [bubble]="compare-and-swap ifs, flag loop" [collatz]="division, data-driven loops"
    [gcd]="short loops in nested loops" [ledger]="printing, many variables"
    [walk]="random walk, bounds and counters" [digits]="digits by division and floor"
    [loan]="float loops with ifs, schedules" [simpson]="numeric integration, weights by ifs"
    [histogram]="generator, running statistics, buckets" [rule30]="cellular automaton in variables"
    [springs]="physics, several updates a step" [tickets]="odometer digits, nested carries"
    [bisect]="root finding, inner loops by tolerance")
# Programs whose output is written to a file when timed, as a printing program's would be.
declare -A writes_file=([print]=1 [report]=1 [ledger]=1)
# The folder of each program.
declare -A program_dir
for _name in "${all_workloads[@]}"; do program_dir[$_name]=$bench_dir; done
for _name in "${kinds_programs[@]}"; do program_dir[$_name]=$bench_dir/kinds; done
for _name in "${holdout_programs[@]}"; do program_dir[$_name]=$bench_dir/holdout; done
for _name in "${fresh_programs[@]}"; do program_dir[$_name]=$bench_dir/fresh; done
for _name in "${blind_programs[@]}"; do program_dir[$_name]=$bench_dir/blind; done
unset _name

# Prints the programs of a set (classic, kinds, holdout, fresh, blind or all), one a line.
set_programs() {
    case $1 in
    classic) printf '%s\n' "${all_workloads[@]}" ;;
    kinds) printf '%s\n' "${kinds_programs[@]}" ;;
    holdout) printf '%s\n' "${holdout_programs[@]}" ;;
    fresh) printf '%s\n' "${fresh_programs[@]}" ;;
    blind) printf '%s\n' "${blind_programs[@]}" ;;
    all)
        printf '%s\n' "${all_workloads[@]}" "${kinds_programs[@]}" "${holdout_programs[@]}" \
            "${fresh_programs[@]}" "${blind_programs[@]}"
        ;;
    *) die "unknown set: $1 (classic, kinds, holdout, fresh, blind or all)" ;;
    esac
}

# The set a program belongs to.
set_of() {
    case " ${kinds_programs[*]} " in *" $1 "*) echo kinds; return ;; esac
    case " ${holdout_programs[*]} " in *" $1 "*) echo holdout; return ;; esac
    case " ${fresh_programs[*]} " in *" $1 "*) echo fresh; return ;; esac
    case " ${blind_programs[*]} " in *" $1 "*) echo blind; return ;; esac
    echo classic
}

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
        local source=${program_dir[$name]}/$name.$ext
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
    sortnet | bubble) echo "sort" ;;
    fizz | collatz) echo "number" ;;
    lattice) echo "point" ;;
    newton) echo "root" ;;
    shortloops) echo "value" ;;
    primes) echo "number below n" ;;
    report) echo "row" ;;
    poly) echo "point" ;;
    deep) echo "innermost iteration" ;;
    manyvars) echo "step" ;;
    gcd) echo "pair" ;;
    ledger) echo "month" ;;
    walk) echo "step" ;;
    digits) echo "number" ;;
    loan) echo "loan" ;;
    simpson) echo "point" ;;
    histogram) echo "value" ;;
    rule30) echo "generation" ;;
    springs) echo "step" ;;
    tickets) echo "number" ;;
    bisect) echo "root" ;;
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
    sortnet | fizz | newton | shortloops | primes | report | poly | manyvars) echo "$size" ;;
    bubble | collatz | ledger) echo "$size" ;;
    walk | digits | loan) echo "$size" ;;
    histogram | rule30 | springs | tickets | bisect) echo "$size" ;;
    # simpson's points run from 0 to n.
    simpson) echo $((size + 1)) ;;
    lattice | gcd) echo $((size * size)) ;;
    # The passes of deep's innermost loop, counted as its loops prune them.
    deep)
        "$python" -c '
import sys
n = int(sys.argv[1])
t = n + n
print(sum(n - c + 1 for a in range(1, n + 1) for b in range(a, n + 1) if a + b + b < t
          for c in range(b, n + 1) if a + b + c + c < t + 1))' "$size"
        ;;
    esac
}
