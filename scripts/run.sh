#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Installs what is needed, builds, starts the demo service (a stand-in for the social network) on a
# free port of 127.0.0.1 and starts Kestrelview in the demo folder (demo/ in this repository),
# pointed at it. The folder is seeded with a sample visitor file on its first run; the demo service
# stops when the program ends.
# Without a usable display, it says so, runs the program on a virtual display (Xvfb with a tray)
# with a collection at start-up, saves a screenshot, prints its path and stops the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
demo="$root/demo"
screenshot="$demo/kestrelview-screenshot.png"
# The start-up run begins 3 seconds after start-up; the screenshot follows once it has finished.
seconds_before_screenshot=10

demo_pid=""
demo_log=""
service_url=""
cookie_name=""
cookie_value=""

stop_demo_service() {
    if [ -n "$demo_pid" ]; then
        kill "$demo_pid" 2>/dev/null || true
        wait "$demo_pid" 2>/dev/null || true
    fi
    [ -n "$demo_log" ] && rm -f "$demo_log"
}

# Starts the demo service with the login cookie required and its time running 60 times faster, so
# visitors come back within minutes. Sets service_url and the cookie it wants.
start_demo_service() {
    demo_log=$(mktemp)
    trap stop_demo_service EXIT
    "$build/tools/kestrelview-demo-service" --require-cookie --speed 60 >"$demo_log" &
    demo_pid=$!
    for _ in $(seq 1 100); do
        grep -q '^cookie: ' "$demo_log" && break
        kill -0 "$demo_pid" 2>/dev/null || break
        sleep 0.1
    done
    service_url=$(sed -n 's|^Demo service listening on \(http://127\.0\.0\.1:[0-9][0-9]*\)/$|\1|p' \
        "$demo_log")
    local cookie
    cookie=$(sed -n 's/^cookie: //p' "$demo_log")
    cookie_name=${cookie%%=*}
    cookie_value=${cookie#*=}
    if [ -z "$service_url" ] || [ -z "$cookie_name" ]; then
        echo "The demo service did not start:" >&2
        cat "$demo_log" >&2
        exit 1
    fi
    echo "Demo service: $service_url/"
}

# Sets one key of section "Setting" in the demo's setting.ini as the program's own writer does:
# the value replaced in place, or a new key after the last key of the section, every other line
# kept, CR LF line ends. The key and the value here are ASCII, which CP932 leaves as it is.
set_setting() {
    local ini="$demo/setting.ini" key=$1 value=$2
    touch "$ini"
    awk -v key="$key" -v value="$value" '
        { sub(/\r$/, ""); lines[++n] = $0 }
        END {
            seen = 0; inside = 0; last = 0; found = 0
            for (i = 1; i <= n; i++) {
                line = lines[i]
                if (line ~ /^[ \t]*\[/) {
                    name = line
                    gsub(/^[ \t]*\[|\][ \t]*$/, "", name)
                    inside = !seen && tolower(name) == "setting"
                    if (inside) { seen = 1; last = i }
                    continue
                }
                eq = index(line, "=")
                if (!inside || line ~ /^[ \t]*;/ || eq == 0) continue
                last = i
                name = substr(line, 1, eq - 1)
                gsub(/^[ \t]+|[ \t]+$/, "", name)
                if (!found && tolower(name) == tolower(key)) { lines[i] = key "=" value; found = 1 }
            }
            for (i = 1; i <= n; i++) {
                print lines[i] "\r"
                if (!found && i == last) print key "=" value "\r"
            }
            if (!seen) { print "[Setting]\r"; print key "=" value "\r" }
        }
    ' "$ini" >"$ini.new"
    mv "$ini.new" "$ini"
}

prepare_demo_folder() {
    mkdir -p "$demo"
    # A copy, not a link: the program keeps its files in the folder of its own resolved path.
    cp "$build/app/Kestrelview" "$demo/Kestrelview"
    # The modules it opens on demand (charts, sound, browser cookies) and the fetch helper that
    # loads its pages, found beside it.
    rm -rf "$demo/modules"
    cp -r "$build/app/modules" "$demo/modules"
    cp "$build/app/alarm.wav" "$demo/alarm.wav"
    if [ ! -e "$demo/zodadud_data.dat" ]; then
        cp "$root/tests/data/sample_zodadud_data.dat" "$demo/zodadud_data.dat"
    fi
    # The login, as a browser exports it; the program sends it to the demo service.
    printf '# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\t%s\t%s\n' \
        "$cookie_name" "$cookie_value" >"$demo/cookies.txt"
    if [ ! -e "$demo/setting.ini" ]; then
        # First run: collect 3 seconds after start-up, with the alarm on.
        printf '[Setting]\r\nWaitTime=30\r\nIE=0\r\nGetOpt=-1\r\nAlarm=1\r\nBatsu=0\r\nBootGet=1\r\n' \
            >"$demo/setting.ini"
    fi
    # The service's port changes from run to run; the program never goes anywhere else.
    set_setting ServiceUrl "$service_url"
}

display_usable() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Runs inside with-display.sh, on the virtual display.
run_program_for_a_screenshot() {
    "$demo/Kestrelview" &
    local program=$!
    sleep "$seconds_before_screenshot"
    if ! kill -0 "$program" 2>/dev/null; then
        wait "$program" || true
        echo "Kestrelview ended before the screenshot could be taken." >&2
        return 1
    fi
    import -window root "$screenshot"
    kill "$program"
    wait "$program" 2>/dev/null || true
}

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"
start_demo_service
prepare_demo_folder

if display_usable; then
    "$demo/Kestrelview"
    exit 0
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): starting Kestrelview on a virtual display for" \
     "$seconds_before_screenshot seconds, with a collection at start-up, to take a screenshot."
set_setting BootGet 1
export -f run_program_for_a_screenshot
export demo screenshot seconds_before_screenshot
status=0
"$root/tests/support/with-display.sh" bash -c run_program_for_a_screenshot || status=$?
if [ "$status" -ne 0 ]; then
    echo "Could not run Kestrelview on a virtual display (status $status)." >&2
    exit 1
fi
echo "Screenshot: $screenshot"
