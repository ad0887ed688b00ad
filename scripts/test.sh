#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Installs what is needed, builds and runs every test.
#   scripts/test.sh              the normal build
#   scripts/test.sh --sanitize   once more with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build="$root/build"
options=(-DKV_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build="$root/build-sanitize"
    options+=(-DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DKV_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

"$root/scripts/build.sh" "$build" "${options[@]}"
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
