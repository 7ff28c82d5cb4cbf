#!/usr/bin/env bash
# Set-up, build, run and test in one place.
#   ./dev.sh run    installs what is missing, builds, and starts the program
#   ./dev.sh test   installs what is missing, builds, and runs the whole test suite
#   ./dev.sh asan   the test suite built with address and undefined-behaviour sanitizers
#   ./dev.sh package  builds the Debian package, installs it, and checks that it starts
#   ./dev.sh examples runs every `valthera-loop` example of the README as typed
#   ./dev.sh screenshots  draws every screenshot of the README afresh into docs/screenshots
#   ./dev.sh install PACKAGE...  installs what is missing of the build's packages and these
# run and test also link the built valthera-loop into /usr/local/bin, so the
# README's examples work by name.
# Safe to repeat: packages already present are not fetched again, and the build
# is incremental.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake qt6-base-dev qt6-base-private-dev qt6-svg-dev libboost-dev fonts-liberation strace)

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
    link_companion
}

# The command-line companion by name, from any folder, as the README uses it.
link_companion() {
    local built="$PWD/build/default/src/loopcli/valthera-loop" link=/usr/local/bin/valthera-loop
    [ "$(readlink "$link" 2>/dev/null)" = "$built" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo ln -sfn "$built" "$link"
}

# Every README line that shows `$ valthera-loop ...` is run as typed, each in
# an empty folder of its own, and must succeed and print or write something.
run_examples() {
    local root count=0
    root=$(mktemp -d)
    trap 'rm -rf "$root"' RETURN
    while IFS= read -r line; do
        local command=${line#*\$ } dir="$root/$count"
        count=$((count + 1))
        mkdir "$dir"
        if ! (cd "$dir" && bash -c "$command" >"$root/out" 2>"$root/err"); then
            echo "README example failed: $command" >&2
            cat "$root/err" >&2
            return 1
        fi
        if [ ! -s "$root/out" ] && [ -z "$(ls -A "$dir")" ]; then
            echo "README example printed and wrote nothing: $command" >&2
            return 1
        fi
    done < <(grep -E '^ +\$ valthera-loop( |$)' README.md)
    [ "$count" -gt 0 ] || { echo "no valthera-loop examples found in README.md" >&2; return 1; }
    echo "$count README examples ran as typed"
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
    examples)
        install_missing
        build
        run_examples
        ;;
    screenshots)
        install_missing
        build
        QT_QPA_PLATFORM=offscreen ./build/default/tools/valthera-render --readme docs/screenshots
        echo "README screenshots redrawn in docs/screenshots"
        ;;
    install)
        shift
        install_missing "$@"
        ;;
    *)
        echo "usage: $0 run|test|asan|package|examples|screenshots|install PACKAGE..." >&2
        exit 2
        ;;
esac
