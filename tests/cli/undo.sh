#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks undo from the command line: a run undone, the history, and runs killed at
# several moments and then undone, after which every file is back under its old name.
set -u
source "$(dirname "$0")/common.bash"

mkdir "$work/p"
for n in a b c; do printf '%s' "$n.jpg" > "$work/p/$n.jpg"; done
"$varlime" --rename "$work/p" --prefix P >/dev/null
out=$("$varlime" --undo "$work/p"); rc=$?
check "undo summary" "$(printf '3 fichiers ont repris leur ancien nom\n0 n'"'"'ont pas pu')" "$out"
check "undo status" 0 "$rc"
check "undone names" "$(printf 'a.jpg\nb.jpg\nc.jpg')" "$(ls "$work/p")"
check "history" "2" "$("$varlime" --history "$work/p" | wc -l)"
"$varlime" --undo "$work/missing" >/dev/null 2>&1; rc=$?
check "undo of a missing folder" 1 "$rc"

# Runs of a few thousand files killed at several moments, then undone.
mkdir "$work/big"
for i in $(seq 1 3000); do printf '%s' "f$i.jpg" > "$work/big/f$i.jpg"; done
# Each run is killed once it has renamed at least so many files (the moment varies).
partial=0
for seen in 1 800 1600; do
    "$varlime" --rename "$work/big" --prefix "K" >/dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        n=$(find "$work/big" -name 'K*' | wc -l)
        [ "$n" -ge "$seen" ] && break
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    n=$(find "$work/big" -name 'K*' | wc -l)
    [ "$n" -gt 0 ] && [ "$n" -lt 3000 ] && partial=$((partial + 1))
    "$varlime" --undo "$work/big" >/dev/null 2>&1
    bad=0
    for f in "$work"/big/*; do
        read -r content < "$f"
        [ "$content" = "$(basename "$f")" ] || bad=$((bad + 1))
    done
    check "killed after $seen renames, undone: every file under its old name" "0 3000" \
        "$bad $(ls "$work/big" | wc -l)"
done
[ "$partial" -gt 0 ] && cut=yes || cut=no
check "at least one run was cut short" yes "$cut"

# Renumbering from 0 makes each new name another file's old name: the undo goes back whole.
mkdir "$work/chain"
for i in 1 2 3; do printf '%s' "IMG00$i.jpg" > "$work/chain/IMG00$i.jpg"; done
"$varlime" --rename "$work/chain" --prefix IMG --start 0 >/dev/null
out=$("$varlime" --undo "$work/chain"); rc=$?
check "chained undo summary" "$(printf '3 fichiers ont repris leur ancien nom\n0 n'"'"'ont pas pu')" "$out"
check "chained undo names" "$(printf 'IMG001.jpg\nIMG002.jpg\nIMG003.jpg')" "$(ls "$work/chain")"
# After an undo that brought everything back, a second --undo has nothing left to do.
"$varlime" --undo "$work/chain" >/dev/null 2>&1; rc=$?
check "second undo changes nothing" "1 IMG001.jpg IMG002.jpg IMG003.jpg" "$rc $(ls "$work/chain" | tr '\n' ' ' | sed 's/ $//')"

# A run still going holds its journal: another process cannot undo it.
mkdir "$work/locked"
printf 'a.jpg' > "$work/locked/a.jpg"
"$varlime" --rename "$work/locked" --prefix L >/dev/null
journal=$(ls "$XDG_STATE_HOME"/varlime/run-*.journal | sort | tail -1)
exec {held}<"$journal"
flock -x "$held"
msg=$("$varlime" --undo "$work/locked" 2>&1); rc=$?
exec {held}<&-
check "undo refused while a run holds the journal" "1 L001.jpg" "$rc $(ls "$work/locked")"
case "$msg" in *"est en cours"*) said=yes ;; *) said=no ;; esac
check "refusal says a run is going on" yes "$said"
"$varlime" --undo "$work/locked" >/dev/null; rc=$?
check "undone once the run is over" "0 a.jpg" "$rc $(ls "$work/locked")"

# Undos killed part way, then undone again: the second undo finishes the way back.
rm -rf "$work/big"; mkdir "$work/big"
for i in $(seq 1 3000); do printf '%s' "f$i.jpg" > "$work/big/f$i.jpg"; done
partial=0
for seen in 1 800 1600; do
    "$varlime" --rename "$work/big" --prefix "U" >/dev/null 2>&1
    "$varlime" --undo "$work/big" >/dev/null 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        n=$(find "$work/big" -name 'f*' | wc -l)
        [ "$n" -ge "$seen" ] && break
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    n=$(find "$work/big" -name 'U*' | wc -l)
    [ "$n" -gt 0 ] && partial=$((partial + 1))
    "$varlime" --undo "$work/big" >/dev/null 2>&1
    bad=0
    for f in "$work"/big/*; do
        read -r content < "$f"
        [ "$content" = "$(basename "$f")" ] || bad=$((bad + 1))
    done
    check "undo killed with $seen files back, undone again: every file under its old name" \
        "0 3000" "$bad $(ls "$work/big" | wc -l)"
done
[ "$partial" -gt 0 ] && cut=yes || cut=no
check "at least one undo was cut short" yes "$cut"

# No journal, no rename: without a state folder, or with one that cannot be written,
# nothing is renamed and the message names the folder and the reason.
mkdir "$work/nojournal"
printf 'a.jpg' > "$work/nojournal/a.jpg"
msg=$(env -u HOME -u XDG_STATE_HOME "$varlime" --rename "$work/nojournal" --prefix N 2>&1); rc=$?
check "no HOME: refused, nothing renamed" "1 a.jpg" "$rc $(ls "$work/nojournal")"
case "$msg" in *"XDG_STATE_HOME"*"aucun fichier"*|*"aucun fichier"*"XDG_STATE_HOME"*) said=yes ;; *) said=no ;; esac
check "no HOME: the message says why" yes "$said"
printf x > "$work/notafolder"
msg=$(XDG_STATE_HOME="$work/notafolder" "$varlime" --rename "$work/nojournal" --prefix N 2>&1); rc=$?
check "state folder unusable: refused" "1 a.jpg" "$rc $(ls "$work/nojournal")"
case "$msg" in *"$work/notafolder/varlime/"*) said=yes ;; *) said=no ;; esac
check "state folder unusable: the message names it" yes "$said"

# --history shows only the runs of the folder asked about.
mkdir "$work/h1" "$work/h2"
printf 'a.jpg' > "$work/h1/a.jpg"
"$varlime" --rename "$work/h1" --prefix H >/dev/null
check "history of a folder never renamed" "0" "$("$varlime" --history "$work/h2" | wc -l)"

finish
