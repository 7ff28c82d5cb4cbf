#!/usr/bin/env bash
# Runs the program on a virtual display with the accessibility bus and lists
# what a screen reader sees (tools/atspi-list.py).
# Installs what it uses (xvfb, at-spi2-core, dbus-x11, python3-pyatspi and
# xdotool, which sends the keys) when missing; needs a built program.
set -euo pipefail
cd "$(dirname "$0")/.."
./dev.sh install xvfb at-spi2-core dbus-x11 python3-pyatspi xdotool
program=${1:-./build/default/valthera}
display=:${VALTHERA_ATSPI_DISPLAY:-91}

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1

DISPLAY=$display dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    bus=$!
    sleep 1
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" >/dev/null 2>&1 &
    app=$!
    status=0
    /usr/bin/python3 tools/atspi-list.py "$(basename "$1")" || status=$?
    kill "$app" "$bus" 2>/dev/null || true
    exit $status
' atspi "$program"
