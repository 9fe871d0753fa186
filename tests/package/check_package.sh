#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of the configured build (cpack -G DEB), checks what it holds
# and declares, then unpacks it into a scratch root and runs the program from there as
# an installed program, and has lintian judge it as Debian would: its warnings are
# listed, an error fails. Skipped (status 77) where dpkg-deb is missing.
#   check_package.sh BUILD_DIR PHOTO
build="$1"
photo="$2"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() {
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20
        fail=1
    else
        echo "ok   $1"
    fi
}

# Without dpkg-shlibdeps the package still builds, declaring only what is written out.
shlibdeps=ON
command -v dpkg-shlibdeps >/dev/null || shlibdeps=OFF
# The package names who built it (DEBFULLNAME, DEBEMAIL, else git's user); a machine
# that says neither still gets a package to check.
if [ -z "${DEBEMAIL:-}" ] && ! git -C "$(dirname "$0")" config user.email >/dev/null 2>&1; then
    export DEBFULLNAME="Varlime package test" DEBEMAIL="package-test@varlime.example"
fi
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" \
    -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=$shlibdeps >"$work/cpack.log" 2>&1
check "cpack status" 0 "$?"
deb=$(ls "$work"/out/varlime_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL no package"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
while read -r f; do
    grep -qxF "$f" "$work/files" || { echo "FAIL package lacks $f"; fail=1; }
done <<'FILES'
/usr/bin/varlime
/usr/lib/varlime/libgfl201.so
/usr/share/varlime/lang/lang_en.ini
/usr/share/varlime/lang/lang_fr.ini
/usr/share/doc/varlime/fr/index.html
/usr/share/doc/varlime/en/index.html
/usr/share/doc/varlime/en/masques.html
/usr/share/doc/varlime/fr/transfert.html
/usr/share/doc/varlime/images/principale-fr.png
/usr/share/doc/varlime/images/principale-en.png
/usr/share/doc/varlime/style.css
/usr/share/doc/varlime/copyright
/usr/share/doc/varlime/changelog.gz
/usr/share/man/man1/varlime.1.gz
/usr/share/bash-completion/completions/varlime
/usr/share/applications/varlime.desktop
/usr/share/icons/hicolor/scalable/apps/varlime.svg
/usr/share/metainfo/org.varlime.varlime.metainfo.xml
FILES
# Nothing of the tests, benchmarks or build tree goes in.
check "only the program's files" "" "$(grep -E 'tests_|bench_|fuzz_|CMakeFiles|\.a$' "$work/files")"

depends=$(dpkg-deb -f "$deb" Depends)
want="qt6-qpa-plugins"
[ "$shlibdeps" = ON ] && want="$want libqt6widgets6 libqt6core6 libjpeg62-turbo libraw20 libtiff6 libpng16-16"
for d in $want; do
    grep -qE "(^|, )$d( |,|$)" <<<"$depends" || { echo "FAIL Depends lacks $d: $depends"; fail=1; }
done
check "package name" "varlime" "$(dpkg-deb -f "$deb" Package)"
check "section" "graphics" "$(dpkg-deb -f "$deb" Section)"
# No placeholder address: a homepage is left out until there is one.
check "no homepage field" "" "$(dpkg-deb -f "$deb" Homepage)"

# Installed into a scratch root, the program runs from there: the version, the help, and
# a picture drawn through the imaging library found beside it (../lib/varlime).
root="$work/root"
dpkg-deb -x "$deb" "$root"
# Whatever the installed program would store goes to a home of the test's own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_STATE_HOME="$work/home/.local/state"
version=$(sed -n 's/^project(varlime VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
check "changelog's last entry is this version" "varlime ($version)" \
    "$(gzip -dc "$root/usr/share/doc/varlime/changelog.gz" | head -1 | cut -d' ' -f1-2)"
check "installed --version" "varlime $version" "$(env -u VARLIME_GFL "$root/usr/bin/varlime" --version)"
env -u VARLIME_GFL "$root/usr/bin/varlime" --help >"$work/help"
check "installed --help status" 0 "$?"
grep -q -- "--transfer SOURCE TARGET" "$work/help" || { echo "FAIL installed --help"; fail=1; }
env -u VARLIME_GFL "$root/usr/bin/varlime" --render "$photo" "$work/out.png" --width 64
check "installed --render status" 0 "$?"
check "rendered PNG" "PNG" "$(head -c 4 "$work/out.png" | tail -c 3)"

if command -v desktop-file-validate >/dev/null; then
    check "desktop entry" "" "$(desktop-file-validate "$root/usr/share/applications/varlime.desktop" 2>&1)"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.varlime.varlime.metainfo.xml" \
        >"$work/as" 2>&1
    check "metainfo valid" 0 "$?"
fi
if command -v man >/dev/null; then
    check "manual page" "" "$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/varlime.1.gz" 2>&1 >/dev/null)"
fi

# What Debian's own checker says: every warning listed, any error fails.
if command -v lintian >/dev/null; then
    lintian "$deb" >"$work/lintian" 2>&1
    grep -E '^W: ' "$work/lintian" | sed 's/^/     lintian /'
    check "lintian: no error" "" "$(grep -E '^E: ' "$work/lintian")"
else
    echo "skipped: lintian is not installed (bash scripts/deps.sh test installs it)"
fi

# The completion offers commands, then options, then EXIF items after a comma.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    complete_line() {
        bash -c 'source /usr/share/bash-completion/bash_completion
                 source "$1"; shift
                 COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
                 COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
                 _varlime; printf "%s\n" "${COMPREPLY[@]}" | sort' _ \
            "$root/usr/share/bash-completion/completions/varlime" "$@"
    }
    while IFS='|' read -r name expected words; do
        # shellcheck disable=SC2086
        check "completion $name" "$(tr ' ' '\n' <<<"$expected")" "$(complete_line $words)"
    done <<'ROWS'
command|--rename --render|varlime --ren
option after a folder|--date-format --date-prefix --date-separator|varlime --preview /tmp --date
exif items|date,focal date,focal35 date,free|varlime --test /tmp --exif date,f
files values|all attributes=|varlime --rename /tmp --files a
transfer option|--move|varlime --transfer /a /b --
ROWS
fi
[ "$fail" -eq 0 ] && echo "all checks passed"
exit "$fail"
