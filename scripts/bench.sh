#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Builds an optimised tree and runs every benchmark (or those whose name matches $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-bench"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
status=0
while IFS= read -r bench; do
    case "$(basename "$bench")" in *${1:-}*) ;; *) continue ;; esac
    echo "== $(basename "$bench")"
    case "$bench" in
    */bench/app/*)
        # The program and its baseline on an X display with a tray and a session bus of their
        # own, as a desktop runs them; without a bus Qt D-Bus would start one inside the program.
        "$root/tests/support/with-display.sh" dbus-run-session -- "$bench" || status=1
        ;;
    *) QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" || status=1 ;;
    esac
done < <(find "$build/bench" -type f -executable -name '*_bench' | sort)
exit $status
