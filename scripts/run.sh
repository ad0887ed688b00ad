#!/usr/bin/env bash
# Installs what is needed, builds, and starts Kestrelview in the demo folder (demo/ in this
# repository), seeded with a sample visitor file on its first run.
# Without a usable display, it says so, runs the program on a virtual display (Xvfb with a tray)
# for a few seconds, saves a screenshot, prints its path and stops the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/demo"
screenshot="$demo/kestrelview-screenshot.png"
seconds_before_screenshot=4

prepare_demo_folder() {
    mkdir -p "$demo"
    # A copy, not a link: the program keeps its files in the folder of its own resolved path.
    cp "$root/build/app/Kestrelview" "$demo/Kestrelview"
    if [ ! -e "$demo/zodadud_data.dat" ]; then
        cp "$root/tests/data/sample_zodadud_data.dat" "$demo/zodadud_data.dat"
    fi
}

display_usable() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

run_program() {
    "$demo/Kestrelview"
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
"$root/scripts/build.sh" "$root/build"
prepare_demo_folder

if display_usable; then
    run_program
    exit 0
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): starting Kestrelview on a virtual display for" \
     "$seconds_before_screenshot seconds to take a screenshot."
export -f run_program_for_a_screenshot
export demo screenshot seconds_before_screenshot
status=0
"$root/tests/support/with-display.sh" bash -c run_program_for_a_screenshot || status=$?
if [ "$status" -ne 0 ]; then
    echo "Could not run Kestrelview on a virtual display (status $status)." >&2
    exit 1
fi
echo "Screenshot: $screenshot"
