#!/usr/bin/env bash
# Installs what is needed, builds, and starts Kestrelview in the demo folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"

demo="$root/demo"
mkdir -p "$demo"
cp "$root/build/app/Kestrelview" "$demo/Kestrelview"
exec "$demo/Kestrelview"
