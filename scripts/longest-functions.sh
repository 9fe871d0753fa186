#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The longest functions of the windows' sources (src/*/ui/ and src/window/); fails when
# one is longer than MAX lines (80 unless given): a window that only wires reads at a glance.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
max=${1:-80}
mapfile -t files < <(find src \( -path '*/ui/*' -o -path 'src/window/*' \) -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
python3 scripts/longest-functions.py --max "$max" --top "${TOP:-10}" "${files[@]}"
