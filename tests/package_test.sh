#!/usr/bin/env bash
# Builds the Debian package in a configured build directory, installs it with dpkg, and runs
# what it installed from a directory outside the source tree: the version text, the example
# programs, executable scripts that start with a #! line, and azuvel-check on the examples and
# on a broken script, azuvel-fmt on the examples and a messy script. Checks the man pages are
# found.
#
#   tests/package_test.sh BUILD_DIR
#
# Installs system-wide, so it needs root and is not a CTest test. A package that was not
# installed before is removed again at the end.
set -euo pipefail

build=$(cd "${1:?usage: package_test.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0

pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1"; }

# check NAME EXPECTED_FILE ACTUAL_FILE: byte-for-byte comparison, with a diff on mismatch.
check() {
    if cmp -s "$2" "$3"; then
        pass "$1"
    else
        fail "$1"
        diff <(od -c "$2") <(od -c "$3") | head -20 || true
    fi
}

was_installed=0
dpkg -s azuvel >/dev/null 2>&1 && was_installed=1

echo "== cpack -G DEB in $build"
rm -f "$build"/azuvel_*.deb
(cd "$build" && cpack -G DEB)
packages=("$build"/azuvel_*.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
    echo "FAIL expected exactly one azuvel_*.deb in $build"
    exit 1
fi
deb=${packages[0]}
for path in ./usr/bin/azuvel ./usr/bin/azuvel-check ./usr/share/man/man1/azuvel.1 \
            ./usr/share/man/man1/azuvel-check.1 ./usr/share/doc/azuvel/language.md \
            ./usr/share/doc/azuvel/examples/hello.az ./usr/bin/azuvel-lsp \
            ./usr/share/man/man1/azuvel-lsp.1 ./usr/share/doc/azuvel/editors.md \
            ./usr/bin/azuvel-fmt ./usr/share/man/man1/azuvel-fmt.1 \
            ./usr/bin/azuvel-dap ./usr/share/man/man1/azuvel-dap.1 \
            ./usr/share/doc/azuvel/editors/neovim/azuvel.lua; do
    if dpkg-deb -c "$deb" | awk '{print $NF}' | grep -qx "$path"; then
        pass "package holds $path"
    else
        fail "package holds $path"
    fi
done

echo "== dpkg -i $(basename "$deb")"
dpkg -i "$deb"

work=$(mktemp -d)
cleanup() {
    rm -rf "$work"
    if [ "$was_installed" = 0 ]; then
        dpkg -r azuvel >/dev/null 2>&1 || true
    fi
}
trap cleanup EXIT
cd "$work"
case "$work" in "$source_dir"/*) echo "FAIL temp dir inside the source tree"; exit 1 ;; esac

echo "== the installed azuvel, run from $work"
found=$(command -v azuvel || true)
if [ "$found" = /usr/bin/azuvel ]; then pass "azuvel on PATH is /usr/bin/azuvel"; else
    fail "azuvel on PATH is /usr/bin/azuvel (found '$found')"; fi

printf 'Azuvel Re+4.0.0-Beta\nA simple interpreted programming language\n' > expected
azuvel --version > actual
check "azuvel --version" expected actual

# The installed examples against their installed expected output.
examples=/usr/share/doc/azuvel/examples
count=0
for script in "$examples"/*.az; do
    [ -e "$script" ] || continue
    name=$(basename "$script" .az)
    cp "$script" "$name.az"
    status=0
    azuvel "$name.az" > actual 2> errors || status=$?
    check "example $name.az" "$examples/$name.out" actual
    if [ "$status" = 0 ] && [ ! -s errors ]; then pass "example $name.az: status 0, no error"; else
        fail "example $name.az: status $status, stderr: $(cat errors)"; fi
    count=$((count + 1))
done
if [ "$count" -ge 7 ]; then pass "$count installed examples"; else fail "only $count installed examples"; fi

# An executable script: the #! line is a comment to the interpreter.
cat > greet <<'EOF'
#!/usr/bin/env azuvel
var n = 3;
print("shebang", n);
EOF
chmod +x greet
printf 'shebang 3\n' > expected
./greet > actual
check "executable script ./greet" expected actual

# The header directive rides on the #! line behind env -S.
cat > count.az <<'EOF'
#!/usr/bin/env -S azuvel #sg<nel>
var i = 1;
while (i < 4) {
    print(i);
    i = i + 1;
}
EOF
chmod +x count.az
printf '123' > expected
./count.az > actual
check "executable script with #sg<nel> on its #! line" expected actual

# Errors from an executable script: one line on stderr, status 1.
cat > broken.az <<'EOF'
#!/usr/bin/env azuvel
print("before");
var x = 1 / 0;
EOF
chmod +x broken.az
status=0
./broken.az > actual 2> errors || status=$?
printf 'before\n' > expected
check "executable script stdout before an error" expected actual
printf '[Error] Division by zero\n' > expected
check "executable script error line" expected errors
if [ "$status" = 1 ]; then pass "executable script error: status 1"; else
    fail "executable script error: status $status"; fi

echo "== the installed azuvel-check, run from $work"
found=$(command -v azuvel-check || true)
if [ "$found" = /usr/bin/azuvel-check ]; then pass "azuvel-check on PATH is /usr/bin/azuvel-check"
else fail "azuvel-check on PATH is /usr/bin/azuvel-check (found '$found')"; fi

# The examples are clean: no output at all, status 0.
status=0
azuvel-check "$examples"/*.az > actual 2> errors || status=$?
: > expected
check "azuvel-check on the installed examples prints nothing" expected actual
if [ "$status" = 0 ] && [ ! -s errors ]; then pass "azuvel-check on the examples: status 0"; else
    fail "azuvel-check on the examples: status $status, stderr: $(cat errors)"; fi

# A script with a missing ';': the place in compiler form, status 1.
printf 'var x = 1;\nvar y = 2\nprint(x, y);\n' > late.az
status=0
azuvel-check late.az > actual 2> errors || status=$?
if head -1 actual | grep -q "^late.az:2:10: error: Expected ';'" && [ "$status" = 1 ]; then
    pass "azuvel-check late.az: the error, its place, status 1"
else
    fail "azuvel-check late.az: status $status, output: $(head -3 actual)"
fi

# The installed language server answers an editor's first and last requests.
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
status=0
{ frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
  frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}'; } | azuvel-lsp > actual 2> errors || status=$?
if [ "$status" = 0 ] && grep -q '"name":"azuvel-lsp"' actual && [ ! -s errors ]; then
    pass "azuvel-lsp: initialize, shutdown, exit"
else
    fail "azuvel-lsp: status $status, stderr: $(cat errors)"
fi

# The installed formatter: the examples are formatted, and a messy script is laid out.
status=0
azuvel-fmt --check "$examples"/*.az > actual 2> errors || status=$?
if [ "$status" = 0 ] && [ ! -s actual ] && [ ! -s errors ]; then
    pass "azuvel-fmt --check on the installed examples: status 0, silent"
else
    fail "azuvel-fmt --check on the examples: status $status, output: $(head -3 actual errors)"
fi
printf 'var x=1;print( x );\n' > messy.az
printf 'var x = 1;\nprint(x);\n' > expected
azuvel-fmt -w messy.az
check "azuvel-fmt -w messy.az" expected messy.az

if command -v man >/dev/null 2>&1; then
    for name in azuvel azuvel-check azuvel-lsp azuvel-fmt; do
        page=$(man -w "$name" 2>/dev/null || true)
        case "$page" in
            /usr/share/man/man1/"$name".1*) pass "man -w $name: $page" ;;
            *) fail "man -w $name found '$page'" ;;
        esac
    done
    if MANWIDTH=80 man azuvel 2>/dev/null | grep -q 'Azuvel Re+4.0.0-Beta'; then
        pass "man azuvel shows the page"
    else
        fail "man azuvel shows the page"
    fi
else
    echo "man not installed: man page lookup not checked"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
