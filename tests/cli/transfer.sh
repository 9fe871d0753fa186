# SPDX-License-Identifier: GPL-3.0-or-later
# --transfer SOURCE TARGET [--move]: the copy and move run without a window, its
# lines and exit status; and a move killed at several moments loses no photo.
source "$(dirname "$0")/common.bash"
photos="$2/photos"

# Twelve photos in a plain folder, two of them already in the target.
mkdir -p "$work/plain" "$work/dst"
set -- "$photos"/*.jpg
for i in $(seq 1 12); do
    eval "f=\${$(( (i - 1) % $# + 1 ))}"
    cp -p "$f" "$work/plain/P$(printf %02d "$i").jpg"
done
echo "old" >"$work/dst/P02.jpg"
echo "old" >"$work/dst/P05.jpg"
out=$("$varlime" --transfer "$work/plain" "$work/dst" 2>&1; echo "status $?")
check "copy with two names taken" "$(printf '%s\n' 'Copie des fichiers (12)' \
    "$(for n in 1 2 3 4 5 6 7 8 9 10; do echo "$n fichiers copiés /12"; done)" \
    "10 fichiers ont été copiés" "2 fichiers n'ont pu être copiés" \
    'Effacez les fichiers du répertoire de destination portant un nom identique' 'status 3')" "$out"
check "copies are whole and keep their time, taken names are untouched" "old old" \
    "$(for f in "$work"/plain/*; do n=${f##*/}; [ "$n" = P02.jpg ] || [ "$n" = P05.jpg ] && continue
       cmp -s "$f" "$work/dst/$n" || echo "differs $n"
       [ "$(stat -c %Y "$f")" = "$(stat -c %Y "$work/dst/$n")" ] || echo "time $n"; done
       echo $(cat "$work/dst/P02.jpg" "$work/dst/P05.jpg"))"

# A move into an empty folder takes everything and exits 0.
mkdir -p "$work/dst2"
out=$("$varlime" --transfer "$work/plain" "$work/dst2" --move 2>&1; echo "status $?")
check "move without failure" "12 fichiers ont été transférés
status 0" "$(printf '%s\n' "$out" | tail -2)"
check "move leaves the source empty" "0 12" "$(ls "$work/plain" | wc -l) $(ls "$work/dst2" | wc -l)"

check "refused: target is the source" "status 1" \
    "$("$varlime" --transfer "$work/dst2" "$work/dst2/" >/dev/null 2>&1; echo "status $?")"
check "refused: no such source" "status 1" \
    "$("$varlime" --transfer "$work/none" "$work/dst2" >/dev/null 2>&1; echo "status $?")"
check "usage" "status 2" "$("$varlime" --transfer "$work/dst2" >/dev/null 2>&1; echo "status $?")"

# Kill a move at several moments: every photo is whole in the source or in the target,
# no final name holds a partial copy, and the next run clears what the killed one left.
mkdir -p "$work/orig"
i=0
for round in 1 2 3 4 5 6 7 8; do
    for f in "$photos"/*.jpg; do
        i=$((i + 1))
        cp "$f" "$work/orig/IMG_$(printf %04d $i).JPG"
    done
done
midrun=0
# Kill points: once so many photos were copied, and once the first source file is gone
# (the delete phase); the process must still be running when it is killed.
for point in copied:1 copied:40 copied:80 deleting:1; do
    rm -rf "$work/card" "$work/pc"
    mkdir -p "$work/card/DCIM/100CANON" "$work/pc"
    cp "$work/orig"/* "$work/card/DCIM/100CANON/"
    "$varlime" --transfer "$work/card/DCIM" "$work/pc" --move >/dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        copied=$(ls "$work/pc" | wc -l)
        left=$(ls "$work/card/DCIM/100CANON" | wc -l)
        case "$point" in
        copied:*) [ "$copied" -ge "${point#copied:}" ] && break ;;
        deleting:*) [ "$left" -lt "$i" ] && break ;;
        esac
    done
    kill -0 "$pid" 2>/dev/null && midrun=$((midrun + 1))
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null

    lost=""
    for f in "$work"/orig/*; do
        n=${f##*/}
        src="$work/card/DCIM/100CANON/$n"
        dst="$work/pc/$n"
        if [ -e "$dst" ] && ! cmp -s "$f" "$dst"; then lost="$lost partial:$n"; fi
        if [ ! -e "$src" ] && ! cmp -s "$f" "$dst"; then lost="$lost lost:$n"; fi
    done
    check "killed at $point: every photo whole somewhere" "" "$lost"
    left=$(ls "$work/card/DCIM/100CANON" | wc -l)
    echo "     ($left of $i photos still on the card)"
    # The next run into the same folder removes any temporary file left behind.
    "$varlime" --transfer "$work/card/DCIM" "$work/pc" >/dev/null 2>&1
    check "killed at $point: no temporary file after the next run" "" \
        "$(ls -A "$work/pc" | grep '^\.varlime-' || true)"
done
# The kill points must fall inside the run for the checks above to mean anything.
check "some kill landed while the run was going on" "yes" "$([ "$midrun" -gt 0 ] && echo yes)"
# A target disk that fills up is told as such, not as files of the same name, and a move
# then deletes nothing. The small disk is a tmpfs mounted in a mount namespace of our own:
# through a user namespace, or as root where the system refuses user namespaces (many
# containers and CI runners do). Where neither is allowed the check is skipped.
mkdir -p "$work/full/src" "$work/full/dst"
for n in a b c d; do head -c 40000 /dev/urandom > "$work/full/src/$n.jpg"; done
namespace=()
if unshare -Urm true 2>/dev/null; then
    namespace=(unshare -Urm)
elif [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
    namespace=(unshare -m)
fi
if [ ${#namespace[@]} -eq 0 ]; then
    echo "skipped: full target: the system refuses the mount namespace a small disk is mounted in (no user namespace, and unshare -m needs root)"
else
    # Status 99: the namespace was made but the mount refused.
    out=$("${namespace[@]}" sh -c 'mount -t tmpfs -o size=64k tmpfs "$1" || exit 99
            "$2" --transfer "$3" "$1" --move' \
        sh "$work/full/dst" "$varlime" "$work/full/src" 2>&1); rc=$?
    if [ "$rc" -eq 99 ]; then
        echo "skipped: full target: a small disk cannot be mounted here ($out)"
    else
        case "$out" in *"disque de destination est plein"*) said=full ;; *) said="$out" ;; esac
        check "full target: told as a full disk" full "$said"
        case "$out" in *"nom identique"*) same=yes ;; *) same=no ;; esac
        check "full target: no advice about same names" no "$same"
        check "full target: status and every source kept" "3 4" "$rc $(ls "$work/full/src" | wc -l)"
    fi
fi
# A pipe named like a photo is told as what it is, at once, never waited on, and never
# as a file of the same name in the target.
mkdir -p "$work/pipe/src" "$work/pipe/dst"
mkfifo "$work/pipe/src/IMG_0001.JPG"
echo photo > "$work/pipe/src/IMG_0002.JPG"
out=$(timeout 20 "$varlime" --transfer "$work/pipe/src" "$work/pipe/dst" --move 2>&1); rc=$?
case "$out" in *"pas des fichiers ordinaires"*) said=pipe ;; *) said="$out" ;; esac
check "pipe in the source: told as not a regular file" pipe "$said"
case "$out" in *"nom identique"*) same=yes ;; *) same=no ;; esac
check "pipe in the source: no advice about same names" no "$same"
check "pipe in the source: status 3, the photo copied, nothing deleted" "3 IMG_0002.JPG 2" \
    "$rc $(ls "$work/pipe/dst") $(ls "$work/pipe/src" | wc -l)"
# Into a FAT card mounted by fusefat, which refuses to set permissions.
source "$(dirname "$0")/../support/fat_image.bash"
trap 'card_unmount; rm -rf "$work"' EXIT
mkdir -p "$work/fat/src"
for n in a b c; do head -c 300000 /dev/urandom > "$work/fat/src/$n.jpg"; done
if card_mount fat32 "$work/fat"; then
    "$varlime" --transfer "$work/fat/src" "$card_root" --move >/dev/null 2>&1; rc=$?
    check "move onto a FAT card: status, copies, sources deleted" "0 a.jpg b.jpg c.jpg 0" \
        "$rc $(ls "$card_root" | tr '\n' ' ' | sed 's/ $//') $(ls "$work/fat/src" | wc -l)"
    card_unmount
else
    echo "skipped: FAT card: $card_reason"
fi
finish
