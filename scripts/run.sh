#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Varlime and starts it. Extra arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh" run
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF -DVARLIME_BENCH=OFF
cmake --build "$root/build/release" --target varlime
exec "$root/build/release/src/app/varlime" "$@"
