#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Builds the Debian package from an optimised tree and checks it the way the archive would:
# lintian, the desktop entry and AppStream validators on the installed files, then the package
# unpacked into a temporary root with every file present and every library of the program found,
# and the unpacked program started: --version without a display, the window under Xvfb.
#   scripts/package.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-release"}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKV_BENCH=OFF

version=$(sed -n 's/^project(Kestrelview VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb="$build/kestrelview_${version}_amd64.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }

# Tags of level info and pedantic are advice; errors and warnings fail the check.
lintian --fail-on error,warning "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
id=io.github.kestrelview.Kestrelview
share="$unpacked/usr/share"
expected=(
    "$unpacked/usr/bin/kestrelview"
    "$share/applications/$id.desktop"
    "$share/metainfo/$id.metainfo.xml"
    "$share/icons/hicolor/scalable/apps/$id.svg"
    "$share/man/man1/kestrelview.1.gz"
    "$share/doc/kestrelview/copyright"
    "$share/doc/kestrelview/changelog.gz"
    "$share/kestrelview/alarm.wav"
)
for side in 16 22 24 32 48 64 128 256; do
    expected+=("$share/icons/hicolor/${side}x${side}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$file" ] || { echo "package.sh: missing from the package: ${file#"$unpacked"}" >&2; exit 1; }
done
[ -x "$unpacked/usr/bin/kestrelview" ] || { echo "package.sh: kestrelview is not executable" >&2; exit 1; }

# desktop-file-validate fails only on errors; its warnings count too.
complaints=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || true
if [ -n "$complaints" ]; then
    echo "$complaints" >&2
    exit 1
fi
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"

missing=$(ldd "$unpacked/usr/bin/kestrelview" | grep 'not found' || true)
if [ -n "$missing" ]; then
    echo "package.sh: libraries of kestrelview not found:" >&2
    echo "$missing" >&2
    exit 1
fi
# The installed program answers --version without a display.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$unpacked/usr/bin/kestrelview" --version)
if [ "$answer" != "kestrelview $version" ]; then
    echo "package.sh: kestrelview --version said: $answer" >&2
    exit 1
fi

# Started as a user starts it, from a root it must not write to and a home of its own: its window
# shows and its data folder is made where the user's files belong, for the user alone.
readonly_root=$(mktemp -d)
home=$(mktemp -d)
trap 'chmod -R u+w "$readonly_root"; rm -rf "$unpacked" "$readonly_root" "$home"' EXIT
cp -a "$unpacked/." "$readonly_root/"
mkdir -m 700 "$home/runtime"
chmod -R a-w "$readonly_root"
env -i PATH="$PATH" HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
    xvfb-run -a bash -c '
        "$1/usr/bin/kestrelview" &
        program=$!
        shown=
        for _ in $(seq 300); do
            # The main window itself: hidden windows of the toolkit carry the program name too.
            if xdotool search --onlyvisible --name "^Kestrelview" >/dev/null 2>&1; then
                shown=1
                break
            fi
            sleep 0.1
        done
        kill -TERM "$program"
        wait "$program" || { echo "package.sh: kestrelview ended with status $?" >&2; exit 1; }
        [ -n "$shown" ] || { echo "package.sh: the window of kestrelview did not show" >&2; exit 1; }
    ' package-check "$readonly_root"
mode=$(stat -c %a "$home/data/kestrelview" 2>/dev/null || echo missing)
if [ "$mode" != 700 ]; then
    echo "package.sh: the data folder $home/data/kestrelview is $mode, not 700" >&2
    exit 1
fi
echo "package.sh: $deb is sound"
