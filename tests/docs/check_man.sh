#!/bin/sh
# Formats a man page with man's warnings on and fails if anything is reported, or if one of
# the sections is missing (by default those of azuvel.1).
#   check_man.sh PAGE [SECTION...]
# man exits 0 even when troff warns, so the check is that standard error stays empty.
set -u
page=${1:?usage: check_man.sh PAGE [SECTION...]}
shift
if [ $# -eq 0 ]; then
    set -- NAME SYNOPSIS DESCRIPTION OPTIONS "LANGUAGE IN BRIEF" "HEADER DIRECTIVE" \
        "OUTPUT FORMAT" DIAGNOSTICS "EXIT STATUS" EXAMPLES
fi
[ -r "$page" ] || { echo "FAIL: cannot read $page"; exit 1; }

errors=$(mktemp)
rendered=$(mktemp)
trap 'rm -f "$errors" "$rendered"' EXIT

# A fixed width and locale, so line-breaking warnings do not depend on the terminal.
if ! MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" >"$rendered" 2>"$errors"; then
    echo "FAIL: man could not format $page"
    cat "$errors"
    exit 1
fi
if [ -s "$errors" ]; then
    echo "FAIL: man reported warnings for $page:"
    cat "$errors"
    exit 1
fi
for section in "$@"; do
    if ! grep -q "^$section\$" "$rendered"; then
        echo "FAIL: $page has no section $section"
        exit 1
    fi
done
echo "$page: formats without warnings, all sections present"
