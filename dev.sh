#!/usr/bin/env bash
# Set-up, build, run and test in one place.
#   ./dev.sh run    installs what is missing, builds, and starts the program
#   ./dev.sh test   installs what is missing, builds, and runs the whole test suite
#   ./dev.sh asan   the test suite built with address and undefined-behaviour sanitizers
#   ./dev.sh package  builds the Debian package, installs it, and checks that it starts
# Safe to repeat: packages already present are not fetched again, and the build
# is incremental.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake qt6-base-dev qt6-base-private-dev libboost-dev fonts-liberation strace)

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
    asan)
        install_missing
        [ -f build/asan/CMakeCache.txt ] || cmake --preset asan
        cmake --build --preset asan -j"$(nproc)"
        QT_QPA_PLATFORM=offscreen ctest --preset asan
        ;;
    package)
        install_missing appstream desktop-file-utils
        build
        appstreamcli validate --no-net packaging/org.valthera.Valthera.metainfo.xml
        desktop-file-validate packaging/org.valthera.Valthera.desktop
        (cd build/default && cpack)
        sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --reinstall ./build/default/valthera_*_amd64.deb
        # The installed program must come up and keep running until it is closed.
        status=0
        QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/valthera || status=$?
        if [ "$status" -ne 124 ]; then
            echo "the installed program did not keep running (exit $status)" >&2
            exit 1
        fi
        # The command-line companion answers from the installed package alone.
        /usr/bin/valthera-loop HR=60 | grep -q '"EDV"' || { echo "the installed valthera-loop did not answer" >&2; exit 1; }
        echo "installed package starts"
        ;;
    *)
        echo "usage: $0 run|test|asan|package" >&2
        exit 2
        ;;
esac
