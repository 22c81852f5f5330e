#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine: installs what is missing, builds, then starts the program
# ("run") or runs the whole test suite ("test").
set -euo pipefail

mode=${1:-run}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TR4410_BUILD_DIR:-$top/build}

packages=(build-essential cmake qt6-base-dev qt6-base-dev-tools libjpeg62-turbo-dev libgl-dev
          fonts-wine fonts-dejavu-core libcap2-bin patchelf pkg-config libxcb1-dev)
# The platform plugin for native Wayland sessions.
packages+=(qt6-wayland)
if [ "$mode" = test ]; then
    # source "$top/scripts/test-packages.sh" adds what the test suite alone needs
    # shellcheck disable=SC1091
    . "$top/scripts/test-packages.sh"
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"

case "$mode" in
run)
    exec "$build/main_window/tr4410-settings"
    ;;
test)
    "$top/scripts/run-tests.sh" "$build"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
