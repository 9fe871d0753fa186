#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --import SOURCE ARCHIVE: the preview and its marks, the hash lists (ASC MHL validated
# against its schemas, a chain across two imports, the plain list checked by xxhsum),
# the result lines and status, a damaged history, and kills at random moments followed
# by a resume: nothing lost, nothing twice.
source "$(dirname "$0")/common.bash"
photos="$2/photos"
export XDG_DATA_HOME="$home/.local/share"
schemas="$(dirname "$0")/../../../shared/testdata/ascmhl"
[ -f "$schemas/ASCMHL.xsd" ] || schemas=/work/shared/testdata/ascmhl

# A card of 3 dated photos in two folders, a copy of one of them (a second slot), and a
# sidecar.
card="$work/card/DCIM"
mkdir -p "$card/100CANON" "$card/101CANON"
cp -p "$photos/Canon_40D.jpg" "$card/100CANON/IMG_0001.JPG"
cp -p "$photos/Nikon_D70.jpg" "$card/100CANON/IMG_0002.JPG"
cp -p "$photos/DSCN0010.jpg" "$card/101CANON/IMG_0003.JPG"
cp -p "$photos/Canon_40D.jpg" "$card/101CANON/IMG_0004.JPG"
echo "<x/>" >"$card/100CANON/IMG_0001.xmp"

out=$("$varlime" --import "$card" "$work/arch" --backup "$work/backup" --prefix Mai_ --width 4 \
      --preview 2>&1; echo "status $?")
check "preview: destinations and marks, nothing written" "$card/100CANON/IMG_0001.JPG	2008/2008-05-30/Mai_0001.JPG
$card/100CANON/IMG_0001.xmp	2008/2008-05-30/Mai_0001.xmp
$card/100CANON/IMG_0002.JPG	2008/2008-03-15/Mai_0001.JPG
$card/101CANON/IMG_0003.JPG	2008/2008-10-22/Mai_0001.JPG
$card/101CANON/IMG_0004.JPG	2008/2008-05-30/IMG_0004.JPG	[doublon sur la carte] $card/100CANON/IMG_0001.JPG
status 0
absent" "$out
$([ -e "$work/arch" ] || [ -e "$XDG_DATA_HOME/varlime" ] && echo present || echo absent)"

out=$("$varlime" --import "$card" "$work/arch" --backup "$work/backup" --prefix Mai_ --width 4 \
      2>/dev/null; echo "status $?")
check "import: result lines" "4 fichiers importés
0 déjà importés
1 en double sur la carte
0 sans date
0 en échec
status 0" "$out"
check "archive and backup hold the same files and list" "" "$(diff -r -x ascmhl "$work/arch" "$work/backup" 2>&1)"
check "history in XDG_DATA_HOME" "yes" \
    "$([ -s "$XDG_DATA_HOME/varlime/imports.sqlite" ] && echo yes)"

# A second card of the same day: counters go on, what was imported is skipped.
cp -p "$photos/Canon_40D.jpg" "$card/100CANON/IMG_0005.JPG"
printf 'more' >>"$card/100CANON/IMG_0005.JPG"
out=$("$varlime" --import "$card" "$work/arch" --backup "$work/backup" --prefix Mai_ --width 4 \
      2>/dev/null; echo "status $?")
check "second import: one new, the rest skipped (the copy's content is in the archive)" "1 fichiers importés
5 déjà importés
0 en double sur la carte
0 sans date
0 en échec
status 0" "$out"
check "the counter went on" "Mai_0001.JPG Mai_0001.xmp Mai_0002.JPG" \
    "$(cd "$work/arch/2008/2008-05-30" && echo *)"

for d in arch backup; do
    gens=$(ls "$work/$d/ascmhl/"*.mhl | wc -l)
    check "$d: two generations" "2" "$gens"
    check "$d: generations validate" "ok" \
        "$(xmllint --noout --schema "$schemas/ASCMHL.xsd" "$work/$d"/ascmhl/*.mhl >/dev/null 2>&1 && echo ok)"
    check "$d: chain validates" "ok" \
        "$(xmllint --noout --schema "$schemas/ASCMHLDirectory.xsd" "$work/$d/ascmhl/ascmhl_chain.xml" \
           >/dev/null 2>&1 && echo ok)"
    check "$d: chain lists both in order" "1 2" \
        "$(grep -o 'sequencenr="[0-9]*"' "$work/$d/ascmhl/ascmhl_chain.xml" | tr -dc '0-9 \n' | xargs)"
    if command -v xxhsum >/dev/null; then
        check "$d: xxhsum -c passes" "0" \
            "$(cd "$work/$d" && xxhsum -c varlime.xxh128 >/dev/null 2>&1; echo $?)"
    else
        echo "skipped: xxhsum is not installed"
    fi
done
# The C4 ids of the chain are those of the generation files.
if command -v python3 >/dev/null; then
    check "chain holds each generation's C4 id" "ok" "$(python3 - "$work/arch/ascmhl" <<'PY'
import hashlib, os, re, sys
d = sys.argv[1]
a = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz"
def c4(b):
    n = int.from_bytes(hashlib.sha512(b).digest(), "big"); s = ""
    while n: n, r = divmod(n, 58); s = a[r] + s
    return "c4" + s.rjust(88, "1")
chain = open(os.path.join(d, "ascmhl_chain.xml")).read()
pairs = re.findall(r"<path>(.*?)</path>\s*<c4>(.*?)</c4>", chain)
ok = len(pairs) == 2 and all(c4(open(os.path.join(d, p), "rb").read()) == c for p, c in pairs)
print("ok" if ok else pairs)
PY
)"
fi
# A backup added later receives from the card what the archive alone holds, verified
# and listed; the card's second copy of a photo is still counted once.
out=$("$varlime" --import "$card" "$work/arch" --backup "$work/late" --prefix Mai_ --width 4 \
      --preview 2>&1 | grep -c 'à copier vers les sauvegardes')
check "backup added later: planned for the new backup" "5" "$out"
out=$("$varlime" --import "$card" "$work/arch" --backup "$work/late" --prefix Mai_ --width 4 \
      2>/dev/null; echo "status $?")
check "backup added later: copied and counted" "5 fichiers importés
0 déjà importés
1 en double sur la carte
0 sans date
0 en échec
status 0" "$out"
check "backup added later: the archive's tree" "" \
    "$(diff -r -x ascmhl -x varlime.xxh128 "$work/arch" "$work/late" 2>&1)"
check "backup added later: xxhsum -c passes" "0" \
    "$(cd "$work/late" && xxhsum -c --quiet varlime.xxh128 >/dev/null 2>&1; echo $?)"
out=$("$varlime" --import "$card" "$work/arch" --backup "$work/late" 2>/dev/null | head -2)
check "then already imported everywhere" "0 fichiers importés
6 déjà importés" "$out"

# A damaged archive file is what xxhsum -c then finds.
printf 'X' | dd of="$work/backup/2008/2008-03-15/Mai_0001.JPG" bs=1 seek=200 conv=notrunc 2>/dev/null
check "xxhsum -c finds a damaged file" "1" \
    "$(cd "$work/backup" && xxhsum -c varlime.xxh128 >/dev/null 2>&1; echo $?)"

# A damaged history is refused with its path, and left as it is.
cp "$XDG_DATA_HOME/varlime/imports.sqlite" "$work/good.sqlite"
printf 'garbage' | dd of="$XDG_DATA_HOME/varlime/imports.sqlite" bs=1 seek=0 conv=notrunc 2>/dev/null
before=$(md5sum <"$XDG_DATA_HOME/varlime/imports.sqlite")
out=$("$varlime" --import "$card" "$work/arch" 2>&1 >/dev/null; echo "status $?")
check "damaged history refused" "status 1" "$(printf '%s\n' "$out" | tail -1)"
check "the message names the history" "yes" \
    "$(grep -q "$XDG_DATA_HOME/varlime/imports.sqlite" <<<"$out" && echo yes)"
check "damaged history left as it was" "$before" "$(md5sum <"$XDG_DATA_HOME/varlime/imports.sqlite")"
cp "$work/good.sqlite" "$XDG_DATA_HOME/varlime/imports.sqlite"

check "bad offset" "status 2" \
    "$("$varlime" --import "$card" "$work/arch" --time-offset 'EOS=+1h' >/dev/null 2>&1; echo "status $?")"

# Kills at random moments, then a resume: every card file ends in the archive and the
# backup exactly once, and no final name holds a partial file.
big="$work/big/DCIM/100CANON"
mkdir -p "$big"
n=0
for round in $(seq 1 6); do
    for f in "$photos"/*.jpg; do
        n=$((n + 1))
        { cat "$f"; head -c $((200000 + RANDOM * 8)) /dev/urandom; } >"$big/IMG_$(printf %04d $n).JPG"
    done
done
export XDG_DATA_HOME="$work/kill-data"
midrun=0
for attempt in 1 2 3 4 5 6; do
    # Killed once the archive holds a random number more files than before.
    before=$(find "$work/karch" -name '*.JPG' 2>/dev/null | wc -l)
    target=$((before + RANDOM % 8 + 1))
    "$varlime" --import "$work/big/DCIM" "$work/karch" --backup "$work/kback" --move \
        >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 500); do
        [ "$(find "$work/karch" -name '*.JPG' 2>/dev/null | wc -l)" -ge "$target" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    kill -0 "$pid" 2>/dev/null && midrun=$((midrun + 1))
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
# Ctrl+C stops before the next file and says how many are left.
mkdir -p "$work/int/DCIM/100CANON"
cp "$big"/*.JPG "$work/int/DCIM/100CANON/" 2>/dev/null || cp "$work/karch"/*/*/*.JPG "$work/int/DCIM/100CANON/" 2>/dev/null
XDG_DATA_HOME="$work/int-data" "$varlime" --import "$work/int/DCIM" "$work/iarch" >"$work/int.out" 2>/dev/null &
pid=$!
for _ in $(seq 1 500); do
    [ "$(find "$work/iarch" -name '*.JPG' 2>/dev/null | wc -l)" -ge 2 ] && break
    sleep 0.01
done
kill -INT "$pid"
wait "$pid"
status=$?
check "Ctrl+C: status 3 and what is left" "3 yes" \
    "$status $(grep -q '^Import interrompu : [1-9][0-9]* fichiers restent à importer$' "$work/int.out" && echo yes)"
check "kills came in the middle of runs" "yes" "$([ "$midrun" -ge 3 ] && echo yes)"
"$varlime" --import "$work/big/DCIM" "$work/karch" --backup "$work/kback" --move >/dev/null 2>&1
status=$?
check "resume ends the import" "0" "$status"
check "the card is empty" "0" "$(find "$work/big" -type f | wc -l)"
for d in karch kback; do
    count=$(find "$work/$d" -type f -name '*.JPG' | wc -l)
    check "$d: every photo once" "$n" "$count"
    check "$d: no partial file, no temporary" "0" \
        "$(find "$work/$d" -name '.varlime*' | wc -l)"
    check "$d: xxhsum -c passes" "0" "$(cd "$work/$d" && xxhsum -c --quiet varlime.xxh128 >/dev/null 2>&1; echo $?)"
    check "$d: listed once each" "$n" "$(cut -c35- "$work/$d/varlime.xxh128" | sort -u | wc -l)"
done
check "no content twice" "$n" \
    "$(find "$work/karch" -type f -name '*.JPG' -exec xxhsum -H2 {} + 2>/dev/null | cut -d' ' -f1 | sort -u | wc -l)"
finish
