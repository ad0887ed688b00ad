#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Builds the libFuzzer targets (fuzz/) with clang and the sanitizers in build-fuzz/, then
#   scripts/fuzz.sh [seconds] [target...]   fuzzes each target for that long (default 60), new
#                                           inputs into build-fuzz/corpus/<target>/, crashes into
#                                           build-fuzz/findings/<target>/
#   scripts/fuzz.sh --replay [target...]    runs every saved input of fuzz/corpus/<target>/ once
#                                           and fails on any crash (CI)
# The saved corpus is only read; copy what is worth keeping into it by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

replay=0
seconds=60
if [ "${1:-}" = "--replay" ]; then
    replay=1
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi

build="$root/build-fuzz"
# Paths below the checkout are cached relative to it, as scripts/build.sh does.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DKV_FUZZ=ON -DKV_WERROR=ON \
    -DBUILD_TESTING=OFF -DKV_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_targets --parallel "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets <"$build/fuzz/targets.txt"
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan-suppressions.txt"
# The targets' scratch folders; a crash leaves its folder behind, in the build tree.
export TMPDIR="$build/tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

failed=()
for t in "${targets[@]}"; do
    exe="$build/fuzz/fuzz_$t"
    saved="$root/fuzz/corpus/$t"
    if [ ! -x "$exe" ]; then
        echo "fuzz: no target $t" >&2
        failed+=("$t")
        continue
    fi
    if [ "$replay" -eq 1 ]; then
        mapfile -t inputs < <(find "$saved" -type f | sort)
        if [ ${#inputs[@]} -eq 0 ]; then
            echo "fuzz: $t has no saved inputs in $saved" >&2
            failed+=("$t")
            continue
        fi
        echo "== replay $t (${#inputs[@]} inputs)"
        if ! "$exe" -timeout=30 "${inputs[@]}" >"$build/replay-$t.log" 2>&1; then
            grep -E '^Running:|property broken|ERROR|SUMMARY' "$build/replay-$t.log" | tail -5 >&2
            failed+=("$t")
        fi
    else
        scratch="$build/corpus/$t"
        findings="$build/findings/$t"
        mkdir -p "$scratch" "$findings"
        dict=()
        if [ -f "$root/fuzz/$t.dict" ]; then
            dict=(-dict="$root/fuzz/$t.dict")
        fi
        echo "== fuzz $t for ${seconds}s"
        marker="$build/fuzz-$t.started"
        touch "$marker"
        # One input at a time in a child process, so that a finding does not end the session.
        "$exe" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
            -max_total_time="$seconds" -timeout=30 -artifact_prefix="$findings/" "${dict[@]}" \
            "$scratch" "$saved" >"$build/fuzz-$t.log" 2>&1 || true
        mapfile -t found < <(find "$findings" -type f -newer "$marker")
        if [ ${#found[@]} -gt 0 ]; then
            echo "$t: ${#found[@]} new findings in $findings, by what broke:" >&2
            for f in "${found[@]}"; do
                "$exe" "$f" 2>&1 | grep -m1 -E 'property broken|ERROR: |runtime error' || true
            done | sort | uniq -c >&2
            failed+=("$t")
        fi
    fi
done
rm -rf "$TMPDIR"

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (logs in $build)" >&2
    exit 1
fi
