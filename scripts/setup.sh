#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Kestrelview developers
# Installs every Debian 12 package that building, testing and running Kestrelview needs.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config clang-format ccache
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins
    libgumbo-dev libglib2.0-dev
    # the decryption of Chromium's cookies and the Secret Service that keeps its password
    libssl-dev libsecret-1-dev
    # the history charts; Debian's Qt Charts package does not pull in the OpenGL files it needs
    qt6-charts-dev libqt6opengl6-dev
    # run: the interface font, the desktop's opener, Qt's Japanese texts, the reader of the
    # browsers' cookies, the Secret Service client
    fonts-ipafont-gothic xdg-utils qt6-translations-l10n libqt6sql6-sqlite libsecret-1-0
    # window tests and the screenshot of the demo on a machine without a display
    xvfb xauth xdotool trayer x11-utils imagemagick
    # a browser's cookie store made outside the test that shows Qt Sql stays unloaded
    sqlite3
    # the tests where real browsers log in inside a loopback-only network namespace, and the
    # keyring that holds Chromium's cookie key
    firefox-esr chromium gnome-keyring dbus dbus-bin libglib2.0-bin iproute2 util-linux
    # the window under a headless Wayland compositor
    weston qt6-wayland
    # the Debian package and its checks
    dpkg-dev lintian desktop-file-utils appstream
    # the fuzz targets (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
