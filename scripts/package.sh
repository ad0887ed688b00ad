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
# The distribution's build flags, with every hardening it offers (bindnow too), as a Debian package
# of the archive is built. CMake reads no CPPFLAGS, so they go with the compiler's flags.
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKV_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"

version=$(sed -n 's/^project(Kestrelview VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb="$build/kestrelview_${version}_amd64.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }

# Tags of level info and pedantic are advice; errors and warnings fail the check, and so does any
# sign that the program was built without the distribution's hardening.
lintian_report=$(lintian --pedantic --fail-on error,warning "$deb") || {
    echo "$lintian_report" >&2
    exit 1
}
[ -z "$lintian_report" ] || echo "$lintian_report"
if grep -q 'hardening-' <<<"$lintian_report"; then
    echo "package.sh: kestrelview is built without the distribution's hardening" >&2
    exit 1
fi

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
# The modules the program opens when a feature is first used, in the package's private folder.
modules=(charts sound cookies desktop)
module_folder=$(find "$unpacked/usr/lib" -type d -name kestrelview | head -n 1)
[ -n "$module_folder" ] || { echo "package.sh: no folder of modules in the package" >&2; exit 1; }
for module in "${modules[@]}"; do
    expected+=("$module_folder/$module.so")
done
# The fetch helper, which loads every page, lies beside them.
expected+=("$module_folder/kestrelview-fetch")
for side in 16 22 24 32 48 64 128 256; do
    expected+=("$share/icons/hicolor/${side}x${side}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$file" ] || { echo "package.sh: missing from the package: ${file#"$unpacked"}" >&2; exit 1; }
done
[ -x "$unpacked/usr/bin/kestrelview" ] || { echo "package.sh: kestrelview is not executable" >&2; exit 1; }
[ -x "$module_folder/kestrelview-fetch" ] || { echo "package.sh: kestrelview-fetch is not executable" >&2; exit 1; }
# Qt Network is the fetch helper's alone: the program that idles in the tray never maps it.
if readelf -d "$unpacked/usr/bin/kestrelview" | grep -q 'NEEDED.*libQt6Network'; then
    echo "package.sh: kestrelview links libQt6Network" >&2
    exit 1
fi

# desktop-file-validate fails only on errors; its warnings count too.
complaints=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || true
if [ -n "$complaints" ]; then
    echo "$complaints" >&2
    exit 1
fi
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"

missing=$(for file in "$unpacked/usr/bin/kestrelview" "$module_folder"/*.so "$module_folder/kestrelview-fetch"; do
    ldd "$file" | grep 'not found' || true
done)
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
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$unpacked/usr/bin/kestrelview" --help)
usage=${usage%%$'\n'*}
if [ "$usage" != "Usage: kestrelview [options]" ]; then
    echo "package.sh: kestrelview --help begins: $usage" >&2
    exit 1
fi

# Started as a user starts it, from a root it must not write to and a home of its own, with the
# package's usr/bin first on PATH: its window shows with the class its menu entry names, its data
# folder is made where the user's files belong, for the user alone, and スタートアップに登録 makes
# the desktop start it by its command.
readonly_root=$(mktemp -d)
home=$(mktemp -d)
trap 'chmod -R u+w "$readonly_root"; rm -rf "$unpacked" "$readonly_root" "$home"' EXIT
cp -a "$unpacked/." "$readonly_root/"
mkdir -m 700 "$home/runtime"
chmod -R a-w "$readonly_root"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$share/applications/$id.desktop")
env -i PATH="$readonly_root/usr/bin:$PATH" HOME="$home" XDG_DATA_HOME="$home/data" \
    XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb \
    LANG=C.UTF-8 xvfb-run -a bash -c '
        kestrelview &
        program=$!
        window=
        for _ in $(seq 300); do
            # The main window itself: hidden windows of the toolkit carry the program name too.
            window=$(xdotool search --onlyvisible --name "^Kestrelview" 2>/dev/null | head -n 1)
            [ -n "$window" ] && break
            sleep 0.1
        done
        if [ -z "$window" ]; then
            kill -TERM "$program"
            echo "package.sh: the window of kestrelview did not show" >&2
            exit 1
        fi
        class=$(xprop -id "$window" WM_CLASS)
        # The class, the second word of WM_CLASS, is what the desktop matches with StartupWMClass.
        if [ "$class" != "WM_CLASS(STRING) = \"kestrelview\", \"$1\"" ]; then
            kill -TERM "$program"
            echo "package.sh: the window of kestrelview is $class, its menu entry says $1" >&2
            exit 1
        fi
        # スタートアップに登録 (Command6) lies in the command column at the right-hand edge.
        eval "$(xdotool getwindowgeometry --shell "$window")"
        xdotool mousemove --window "$window" $((WIDTH - 53)) 304 click 1
        for _ in $(seq 50); do
            [ -f "$HOME/config/autostart/kestrelview.desktop" ] && break
            sleep 0.1
        done
        kill -TERM "$program"
        wait "$program" || { echo "package.sh: kestrelview ended with status $?" >&2; exit 1; }
    ' package-check "$wm_class"
autostart="$home/config/autostart/kestrelview.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$autostart" 2>/dev/null || true)
if [ "$exec_line" != kestrelview ]; then
    echo "package.sh: スタートアップに登録 wrote ${exec_line:-no entry} into $autostart, not kestrelview" >&2
    exit 1
fi
grep -qx "Icon=$id" "$autostart" || { echo "package.sh: the autostart entry has no icon" >&2; exit 1; }

# Under a Wayland compositor with no tray: the window shows with the menu entry's id as its app_id
# and stays, rather than vanishing into a tray that is not there.
socket=kestrelview-check-$$
env -i PATH="$PATH" XDG_RUNTIME_DIR="$home/runtime" \
    weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >"$home/weston.log" 2>&1 &
compositor=$!
trap 'kill -TERM "$compositor" 2>/dev/null || true; chmod -R u+w "$readonly_root"; rm -rf "$unpacked" "$readonly_root" "$home"' EXIT
for _ in $(seq 100); do
    [ -S "$home/runtime/$socket" ] && break
    sleep 0.1
done
[ -S "$home/runtime/$socket" ] || { cat "$home/weston.log" >&2; echo "package.sh: weston did not start" >&2; exit 1; }
protocol="$home/wayland.log"
env -i PATH="$readonly_root/usr/bin:$PATH" HOME="$home" XDG_DATA_HOME="$home/data" \
    XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" WAYLAND_DISPLAY="$socket" \
    QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client LANG=C.UTF-8 kestrelview 2>"$protocol" &
program=$!
toplevel=
for _ in $(seq 300); do
    # The last window to take the app_id is the main window; it shows once a buffer is attached.
    toplevel=$(sed -n 's/.*-> \(xdg_toplevel@[0-9]*\)\.set_app_id("io\.github\.kestrelview\.Kestrelview").*/\1/p' \
        "$protocol" | tail -n 1)
    if [ -n "$toplevel" ] && sed -n "/$toplevel\.set_app_id/,\$p" "$protocol" | grep -q 'attach(wl_buffer'; then
        break
    fi
    toplevel=
    sleep 0.1
done
sleep 2
alive=
kill -0 "$program" 2>/dev/null && alive=1
kill -TERM "$program" 2>/dev/null || true
status=0
wait "$program" || status=$?
if [ -z "$toplevel" ] || [ -z "$alive" ]; then
    grep -v '^\[' "$protocol" >&2 || true
    echo "package.sh: under Wayland the window of kestrelview did not show (status $status)" >&2
    exit 1
fi
# Only the end the check asked for takes the window away.
gone=$(sed -n "/$toplevel\.set_app_id/,\$p" "$protocol" | grep -c "$toplevel\.destroy()" || true)
if [ "$status" != 0 ] || [ "$gone" -gt 1 ]; then
    echo "package.sh: under Wayland kestrelview ended with status $status or lost its window" >&2
    exit 1
fi
kill -TERM "$compositor" 2>/dev/null || true
wait "$compositor" 2>/dev/null || true

mode=$(stat -c %a "$home/data/kestrelview" 2>/dev/null || echo missing)
if [ "$mode" != 700 ]; then
    echo "package.sh: the data folder $home/data/kestrelview is $mode, not 700" >&2
    exit 1
fi
echo "package.sh: $deb is sound"
