#!/usr/bin/env bash
# Set-up, build, run and test in one place.
#   ./dev.sh run    installs what is missing, builds, and starts the program
#   ./dev.sh test   installs what is missing, builds, and runs the whole test suite
# Safe to repeat: packages already present are not fetched again, and the build
# is incremental.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake qt6-base-dev fonts-liberation)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    [ -f build/default/CMakeCache.txt ] || cmake --preset default
    cmake --build --preset default -j"$(nproc)"
}

case "${1:-}" in
    run)
        install_missing
        build
        exec ./build/default/valthera
        ;;
    test)
        install_missing
        build
        QT_QPA_PLATFORM=offscreen ctest --preset default
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
