# SPDX-License-Identifier: GPL-3.0-or-later
# A camera card for the command-line checks (sourced): card_mount fat32|exfat DIR makes an
# image in DIR, mounts it at DIR/card and sets card_root; on refusal it returns 1 and sets
# card_reason. card_unmount undoes it (call it from the script's EXIT trap).
card_mount() {
    local kind="$1" dir="$2" tool
    card_root="" card_reason="" card_loop="" card_dir="$dir"
    PATH="$PATH:/usr/sbin:/sbin"
    [ -w /dev/fuse ] || { card_reason="/dev/fuse is missing or not writable"; return 1; }
    case "$kind" in
      fat32) for tool in mkfs.vfat fusefat; do
               command -v "$tool" >/dev/null || { card_reason="$tool is not installed"; return 1; }
             done ;;
      exfat) for tool in mkfs.exfat mount.exfat-fuse; do
               command -v "$tool" >/dev/null || { card_reason="$tool is not installed"; return 1; }
             done ;;
      *) card_reason="unknown card kind $kind"; return 1 ;;
    esac
    mkdir -p "$dir/card"
    truncate -s 64M "$dir/card.img"
    local src="$dir/card.img" out
    if [ "$kind" = fat32 ]; then
        out=$(mkfs.vfat -F 32 "$src" 2>&1) || { card_reason="mkfs.vfat: $out"; return 1; }
        out=$(fusefat -o rw+ "$src" "$dir/card" 2>&1) || { card_reason="fusefat: $out"; return 1; }
    else
        out=$(mkfs.exfat -L VARLIME "$src" 2>&1) || { card_reason="mkfs.exfat: $out"; return 1; }
        # As root exfat-fuse asks for a block device: lend it a loop device.
        if [ "$(id -u)" -eq 0 ]; then
            card_loop=$(losetup -f --show "$src" 2>&1) || { card_reason="losetup: $card_loop"; card_loop=""; return 1; }
            src="$card_loop"
        fi
        out=$(mount.exfat-fuse "$src" "$dir/card" 2>&1) || { card_reason="exfat-fuse: $out"; card_unmount; return 1; }
    fi
    local i
    for i in $(seq 50); do
        mountpoint -q "$dir/card" && { card_root="$dir/card"; return 0; }
        sleep 0.1
    done
    card_reason="the card did not appear at $dir/card"
    card_unmount
    return 1
}

card_unmount() {
    [ -n "${card_dir:-}" ] || return 0
    if mountpoint -q "$card_dir/card"; then
        fusermount -u "$card_dir/card" 2>/dev/null || umount "$card_dir/card" 2>/dev/null ||
            fusermount -uz "$card_dir/card" 2>/dev/null || true
    fi
    [ -z "${card_loop:-}" ] || losetup -d "$card_loop" 2>/dev/null || true
    card_loop="" card_root=""
}
