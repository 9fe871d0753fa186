# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the command-line checks (sourced, not run): the program under test, a
# temporary work folder with a home of its own, and check NAME EXPECTED ACTUAL.
varlime="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
home="$work/home"
mkdir -p "$home"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state"

check() {
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20
        fail=1
    else
        echo "ok   $1"
    fi
}

finish() {
    [ "$fail" -eq 0 ] && echo "all checks passed"
    exit "$fail"
}
