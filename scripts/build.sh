#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Configures and builds into a build folder: scripts/build.sh [build-dir] [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true
# Paths below the checkout are cached relative to it, so every checkout shares the cache.
export CCACHE_BASEDIR="$root"
# Debug information names the build folder; it must not keep one checkout from using another's work.
export CCACHE_NOHASHDIR=1
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
