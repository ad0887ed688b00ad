#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Runs a command on a virtual X display of its own with a notification area:
#   with-display.sh <command> [args...]
# Starts Xvfb on a free display number and trayer on it, runs the command with
# QT_QPA_PLATFORM=xcb, and stops both afterwards. Exits 77 (skipped) when no display can be made.
set -u

skip() {
    echo "SKIPPED: $*" >&2
    exit 77
}

for tool in Xvfb trayer xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/setup.sh installs it)"
done

work=$(mktemp -d)
xvfb_pid=""
trayer_pid=""
cleanup() {
    [ -n "$trayer_pid" ] && kill "$trayer_pid" 2>/dev/null && wait "$trayer_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks the first free display number itself and reports it, so runs side by side don't race.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
[ -s "$work/display" ] || skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log" | tr '\n' ' ')"
display=":$(head -n 1 "$work/display")"

export DISPLAY="$display"
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    --expand true --transparent false >"$work/trayer.log" 2>&1 &
trayer_pid=$!
for _ in $(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -qi 'panel' && break
    kill -0 "$trayer_pid" 2>/dev/null || skip "trayer did not start: $(tail -n 3 "$work/trayer.log")"
    sleep 0.05
done

"$@"
