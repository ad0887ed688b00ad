#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
#
# A real browser logs in to a loopback stand-in of the service, and then the program finds that
# login where the browser left it and collects with it.
#
#   browser_login.sh <case> <login-check> <login-server> <Kestrelview>
#
# Cases: firefox, firefox-xdg-config, firefox-running, firefox-moved (the snap's and the
# Flatpak's places), chromium-basic, chromium-keyring, chromium-keyring-locked.
#
# Everything runs in a network namespace that holds nothing but loopback (and in a PID namespace
# of its own, so that nothing a browser or a keyring leaves behind outlives the test), with a
# clean environment and a fresh home. Exit 0: passed; 1: failed; 77: skipped because this machine
# lacks a browser, the keyring or namespaces (under CI=true that fails instead).
set -euo pipefail

case_name=${1:?case}
checker=${2:?login check}
server=${3:?login server}
program=${4:?program}

skip() {
    if [ "${CI:-}" = true ]; then
        echo "FAIL: $* (CI=true, where this test must run)"
        exit 1
    fi
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}
step() { echo "== $*"; }

# How long one browser run may take before it counts as hung and is killed.
browser_limit=60
# Max-Age of the login cookie, as the login server sets it.
login_max_age=$((30 * 24 * 3600))

if [ -z "${KV_BROWSER_NAMESPACE:-}" ]; then
    needs=(unshare ip timeout)
    case $case_name in
    firefox*) needs+=(firefox-esr) ;;
    chromium-basic) needs+=(chromium) ;;
    chromium-keyring*) needs+=(chromium dbus-run-session dbus-monitor gdbus gnome-keyring-daemon) ;;
    *) fail "unknown case $case_name" ;;
    esac
    for tool in "${needs[@]}"; do
        command -v "$tool" >/dev/null ||
            skip "$tool is not installed (scripts/setup.sh installs it)"
    done
    namespaces=(--net --pid --fork --mount-proc)
    # Without root, a user namespace lends the rights to make the others.
    [ "$(id -u)" -eq 0 ] || namespaces+=(--map-root-user)
    unshare "${namespaces[@]}" true 2>/dev/null ||
        skip "no network namespace can be made here (unshare -n needs root or user namespaces)"

    work=$(mktemp -d "${TMPDIR:-/tmp}/kv-browser-$case_name.XXXXXX")
    if [ -n "${KV_BROWSER_KEEP:-}" ]; then
        echo "keeping $work"
    else
        trap 'rm -rf "$work"' EXIT
    fi
    # The sanitizer build's options and the build's module folder reach the program and the
    # checker; nothing else of the caller's environment does.
    kept=()
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS KESTRELVIEW_MODULE_PATH; do
        [ -z "${!name:-}" ] || kept+=("$name=${!name}")
    done
    set +e
    unshare "${namespaces[@]}" --kill-child \
        env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 \
        CI="${CI:-}" KV_BROWSER_NAMESPACE=1 KV_WORK="$work" "${kept[@]}" \
        bash "$0" "$@"
    status=$?
    set -e
    exit $status
fi

# ---- inside the namespaces -------------------------------------------------------------------

work=$KV_WORK
export HOME=$work/home TMPDIR=$work/tmp
mkdir -p "$HOME" "$TMPDIR" "$work/data"

ip link set lo up
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
[ "$links" = "lo " ] || fail "the namespace holds more than loopback: $links"

"$server" "$work/ports" >"$work/server.log" 2>&1 &
for _ in $(seq 100); do
    [ -s "$work/ports" ] && break
    sleep 0.1
done
[ -s "$work/ports" ] || fail "the login server did not start: $(cat "$work/server.log")"
login_url=$(awk '$1 == "login" {print $2}' "$work/ports")
service_url=$(awk '$1 == "service" {print $2}' "$work/ports")
page_url=$service_url/show_log.pl

# Runs a browser bounded by the time limit; a browser that hangs is killed and fails the test.
run_browser() {
    local name=$1
    shift
    local status=0
    timeout --kill-after=5 "$browser_limit" "$@" >"$work/$name.out" 2>&1 || status=$?
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        tail -n 20 "$work/$name.out"
        fail "$name did not end within ${browser_limit}s and was killed"
    fi
    if [ "$status" -ne 0 ]; then
        tail -n 20 "$work/$name.out"
        fail "$name ended with status $status"
    fi
}

firefox_prefs() {
    cat <<'EOF'
user_pref("app.update.enabled", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.newtabpage.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("browser.safebrowsing.downloads.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("browser.search.update", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.usage.uploadEnabled", false);
user_pref("extensions.update.enabled", false);
user_pref("extensions.getAddons.cache.enabled", false);
user_pref("extensions.blocklist.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.dns.disablePrefetch", true);
user_pref("network.prefetch-next", false);
user_pref("services.settings.server", "http://127.0.0.1:9/");
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.unified", false);
user_pref("toolkit.telemetry.archive.enabled", false);
user_pref("toolkit.telemetry.server", "");
user_pref("toolkit.telemetry.shutdownPingSender.enabled", false);
user_pref("toolkit.telemetry.firstShutdownPing.enabled", false);
user_pref("toolkit.telemetry.newProfilePing.enabled", false);
user_pref("toolkit.telemetry.updatePing.enabled", false);
user_pref("toolkit.telemetry.bhrPing.enabled", false);
EOF
}

# Firefox in its own default place: the first start makes the profile where Firefox puts new
# profiles, the second (with our preferences in place) visits the login page.
firefox_profile() {
    local firefox_home=${XDG_CONFIG_HOME:-$HOME/.config}/mozilla/firefox
    local blank=$work/blank.png
    step "Firefox makes its profile"
    run_browser firefox-first firefox-esr --headless --screenshot "$blank" "$service_url/"
    [ -f "$firefox_home/profiles.ini" ] ||
        fail "Firefox wrote no profiles.ini in $firefox_home but:" \
            "$(cd "$HOME" && find . -name profiles.ini)"
    [ ! -e "$HOME/.mozilla/firefox/profiles.ini" ] ||
        fail "Firefox wrote a profiles.ini in ~/.mozilla/firefox too"
    # The profile Firefox starts with is the one the install section of profiles.ini names (the one
    # marked Default=1 is another, empty profile).
    profile_name=$(awk -F= '/^\[Install/ {inst = 1; next} /^\[/ {inst = 0}
                            inst && $1 == "Default" {print $2; exit}' "$firefox_home/profiles.ini")
    if [ -z "$profile_name" ] || [ ! -d "$firefox_home/$profile_name" ]; then
        fail "no install default in $firefox_home/profiles.ini: $(cat "$firefox_home/profiles.ini")"
    fi
    firefox_prefs >"$firefox_home/$profile_name/user.js"
    profile_dir=$firefox_home/$profile_name
}

firefox_login() {
    firefox_profile
    local shot=$work/shot.png
    step "Firefox visits the login page"
    run_browser firefox firefox-esr --headless --screenshot "$shot" "$login_url"
    [ -s "$shot" ] || fail "Firefox saved no screenshot of the login page"
    [ -s "$profile_dir/cookies.sqlite" ] || fail "Firefox kept no cookies.sqlite in $profile_dir"
}

# shellcheck disable=SC2054 # the commas separate the features of one flag
chromium_flags=(
    --headless --no-first-run --no-default-browser-check --disable-background-networking
    --disable-component-update --disable-sync --metrics-recording-only --disable-default-apps
    --disable-breakpad --disable-domain-reliability --disable-client-side-phishing-detection
    --disable-features=MediaRouter,OptimizationHints,Translate,AutofillServerCommunication
    --no-pings --disable-gpu
)
# Chromium's own sandbox refuses to run as root (also the root of a user namespace); the
# namespaces stand in for it there.
[ "$(id -u)" -ne 0 ] || chromium_flags+=(--no-sandbox)

# Chromium in the place it keeps a user's profiles, with the password store given. Headless, it
# would otherwise use a throw-away folder.
chromium_login() {
    local store=$1
    step "Chromium ($store password store) visits the login page"
    run_browser chromium chromium "${chromium_flags[@]}" --password-store="$store" \
        --user-data-dir="$HOME/.config/chromium" --dump-dom "$login_url"
    grep -q 'logged in' "$work/chromium.out" || fail "Chromium did not load the login page"
    profile_dir=$HOME/.config/chromium/Default
    [ -s "$profile_dir/Cookies" ] || fail "Chromium kept no cookie database in $profile_dir"
}

# The lookup finds the login; for Chromium, the second argument is the prefix its stored value
# must carry, which tells which password store encrypted it.
check_login() {
    local browser=$1 prefix=${2:-}
    lookup "$@" || fail "the lookup did not find the $browser login as the browser left it"
}
lookup() {
    local browser=$1 prefix=${2:-}
    local stored=()
    [ -z "$prefix" ] || stored=(--stored-prefix "$prefix")
    step "the lookup finds the $browser login in $profile_dir"
    timeout --kill-after=5 30 "$checker" --home "$HOME" --config-home "${XDG_CONFIG_HOME:-}" \
        --data "$work/data" --page "$page_url" \
        --browser "$browser" --profile "$profile_dir" "${stored[@]}" \
        --cookie BF_SESSION=kestrelview-demo-login --max-age "$login_max_age"
}

# The whole program, with HOME at the browser's home, collects both footprint pages with the
# login of the browser named: the demo service lists the visitors only to a request that carries
# the cookie.
check_program() {
    local browser=$1
    step "Kestrelview collects with the login"
    local data=$work/data
    printf '[Setting]\r\nServiceUrl=%s\r\nBootGet=1\r\nGetOpt=-1\r\n' "$service_url" \
        >"$data/setting.ini"
    QT_QPA_PLATFORM=offscreen "$program" --data-dir "$data" >"$work/program.out" 2>&1 &
    local pid=$!
    local log=$data/kestrelview.log
    local waited=0
    for _ in $(seq 150); do
        grep -qa 'page /show_log.pl?page=2 ' "$log" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
        waited=$((waited + 1))
    done
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -f "$log" ] || fail "Kestrelview wrote no log: $(cat "$work/program.out")"
    cat "$log"
    # Without a login the program stops at its login message before it logs the page.
    grep -qa 'page /show_log.pl ' "$log" ||
        fail "Kestrelview logged no page within $((waited / 10))s:" \
            "it stopped at a message, most likely that it has no login"
    local line
    for page in '/show_log.pl ' '/show_log.pl?page=2 '; do
        line=$(grep -a "page $page" "$log" | tail -n 1)
        [[ $line =~ \ HTTP\ 200\ (.*\ )?entries\ [1-9][0-9]*\ counted\ [1-9][0-9]*\ collected ]] ||
            fail "Kestrelview did not collect $page with the browser's login"
        # Where the line names the login it sent, that is the browser's.
        [[ ! $line =~ \ login\  ]] || [[ $line =~ \ login\ $browser\  ]] ||
            fail "Kestrelview collected $page with another login than $browser's"
    done
    [ -s "$data/zodadud_data.dat" ] || fail "Kestrelview saved no visitors"
}

case $case_name in
firefox | firefox-xdg-config)
    if [ "$case_name" = firefox-xdg-config ]; then
        export XDG_CONFIG_HOME=$work/xdg-config
        mkdir -p "$XDG_CONFIG_HOME"
    fi
    firefox_login
    check_login Firefox
    check_program Firefox
    ;;
firefox-running)
    # The user's Firefox is open: it holds its databases and keeps the newest rows in the -wal
    # file until it checkpoints or ends.
    firefox_profile
    step "Firefox visits the login page and stays open"
    timeout --kill-after=5 "$browser_limit" firefox-esr --headless "$login_url" \
        >"$work/firefox.out" 2>&1 &
    firefox=$!
    # Firefox stores a new cookie a moment after the page set it.
    found=false
    for _ in $(seq 40); do
        sleep 0.5
        kill -0 "$firefox" 2>/dev/null || fail "Firefox ended: $(tail -n 20 "$work/firefox.out")"
        if lookup Firefox >"$work/lookup.out" 2>&1; then
            found=true
            break
        fi
    done
    cat "$work/lookup.out"
    $found || fail "the lookup did not find the login of the open Firefox within 20s"
    echo "cookies.sqlite-wal of the open Firefox:" \
        "$(stat -c %s "$profile_dir/cookies.sqlite-wal") bytes"
    check_program Firefox
    kill -0 "$firefox" 2>/dev/null || fail "Firefox ended before the program collected"
    kill -TERM "$firefox"
    wait "$firefox" || true
    ;;
firefox-moved)
    # The same profile folder where the snap and then the Flatpak of Firefox keep theirs.
    firefox_login
    from=$HOME/.config/mozilla/firefox
    for moved in "$HOME/snap/firefox/common/.mozilla/firefox" \
        "$HOME/.var/app/org.mozilla.firefox/.mozilla/firefox"; do
        step "the profile folder moves to $moved"
        mkdir -p "$(dirname "$moved")"
        mv "$from" "$moved"
        rm -rf "$HOME/.config/mozilla" "$work/data"
        mkdir -p "$work/data"
        profile_dir=$moved/$profile_name
        check_login Firefox
        check_program Firefox
        from=$moved
    done
    ;;
chromium-basic)
    chromium_login basic
    check_login Chromium v10
    check_program Chromium
    ;;
chromium-keyring | chromium-keyring-locked)
    # A session bus of our own with gnome-keyring's secret service in it, unlocked with a password
    # fed on stdin; the first unlock makes the "login" keyring.
    cat >"$work/session.sh" <<'EOF'
set -euo pipefail
source "$KV_SESSION_LIB"
echo -n kestrelview-test-password |
    gnome-keyring-daemon --unlock --components=secrets --daemonize >"$work/keyring.env"
wait_for_keyring
[ "$(keyring_locked)" = false ] || fail "gnome-keyring did not unlock the login keyring"
chromium_login gnome-libsecret
check_login Chromium v11
[ "$KV_CASE" = chromium-keyring-locked ] || check_program Chromium
EOF
    cat >"$work/locked.sh" <<'EOF'
set -euo pipefail
source "$KV_SESSION_LIB"
# The keyring on disk with a daemon that was started without the password: locked, as after a
# login that did not unlock it.
gnome-keyring-daemon --components=secrets --daemonize >"$work/keyring.env"
wait_for_keyring
[ "$(keyring_locked)" = true ] || fail "the login keyring is not locked: $(keyring_locked)"
dbus-monitor --session "interface='org.freedesktop.Secret.Service'" \
    "interface='org.freedesktop.Secret.Prompt'" >"$work/secrets.monitor" 2>&1 &
monitor=$!
# A call of our own through the monitor: once the monitor has written the n-th of them, it has
# written every call the bus passed before it.
mark() {
    gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets \
        --method org.freedesktop.Secret.Service.ReadAlias kestrelview-mark >/dev/null
    for _ in $(seq 100); do
        [ "$(grep -c 'member=ReadAlias' "$work/secrets.monitor")" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "dbus-monitor does not see the calls to the secret service"
}
mark 1
step "the lookup passes the locked keyring over"
timeout --kill-after=5 30 "$checker" --home "$HOME" --data "$work/data" --page "$page_url" \
    --none --log-mentions Chromium ||
    fail "the lookup did not pass the locked keyring over, logging it"
mark 2
kill "$monitor"
grep -vE 'member=(ReadAlias|NameAcquired|NameLost)' "$work/secrets.monitor" | grep -q 'member=' ||
    fail "the lookup never asked the secret service for Chromium's password"
if grep -E 'member=(Unlock|Prompt)' "$work/secrets.monitor"; then
    fail "the lookup asked the keyring to unlock or prompt"
fi
EOF
    # Waits until the daemon started in the session owns the secret service's name. Asked
    # earlier, the bus would start a second daemon of its own, which can find the keyring file
    # half written.
    wait_for_keyring() {
        for _ in $(seq 100); do
            gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
                --method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets |
                grep -q true && return 0
            sleep 0.1
        done
        fail "gnome-keyring-daemon did not take the secret service's name on the session bus"
    }
    # Whether the secret service holds the login keyring locked: true or false.
    keyring_locked() {
        gdbus call --session --dest org.freedesktop.secrets \
            --object-path /org/freedesktop/secrets/collection/login \
            --method org.freedesktop.DBus.Properties.Get org.freedesktop.Secret.Collection Locked |
            sed -n 's/^(<\(true\|false\)>,)$/\1/p'
    }
    # The functions above, for the scripts that run in the session.
    declare -f run_browser fail step chromium_login check_login lookup check_program \
        wait_for_keyring keyring_locked \
        >"$work/lib.sh"
    {
        declare -p work HOME login_url service_url page_url browser_limit login_max_age \
            checker program chromium_flags
    } >>"$work/lib.sh"
    export KV_SESSION_LIB=$work/lib.sh KV_CASE=$case_name
    dbus-run-session -- bash "$work/session.sh"
    ls "$HOME/.local/share/keyrings/login.keyring" >/dev/null ||
        fail "gnome-keyring kept no login keyring"
    if [ "$case_name" = chromium-keyring-locked ]; then
        dbus-run-session -- bash "$work/locked.sh"
    fi
    ;;
esac
echo "PASS: $case_name"
