#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (with the test tools), builds everything with AddressSanitizer
# and UndefinedBehaviorSanitizer, runs every test with leak detection, checks the
# formatting, then makes a short fuzzing run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh" test
# Every command the build, the tests and the package check call, before spending the build.
bash "$root/scripts/deps.sh" check
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARLIME_SANITIZE=ON -DVARLIME_BENCH=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2
# A formatting difference fails the run too, but only after the fuzzing has had its turn.
format=0
bash "$root/scripts/check-format.sh" || format=1
if [ -f "$root/scripts/fuzz.sh" ]; then
  bash "$root/scripts/fuzz.sh" --short
fi
exit "$format"
