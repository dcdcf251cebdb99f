#!/usr/bin/env bash
# Sets up, builds and starts one program of the suite (blendview when none is named), on the
# session's Wayland display or X display.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-blendview}
case "$program" in
    blendview|spritemask|modeswitch|tcpterm|joy|stickpoll|tickplot|wavefile|wavememory|grabmove|bareframe|linkopen) ;;
    *) echo "run: unknown program '$program'" >&2; exit 2 ;;
esac

# A Wayland display answers where its socket is; an X display where a client can connect.
wayland_reachable() {
    [ -n "${WAYLAND_DISPLAY:-}" ] || return 1
    local socket=$WAYLAND_DISPLAY
    [ "${socket#/}" != "$socket" ] || socket="${XDG_RUNTIME_DIR:-/nonexistent}/$socket"
    [ -S "$socket" ]
}
x_reachable() {
    [ -n "${DISPLAY:-}" ] || return 1
    if command -v xdpyinfo >/dev/null; then
        xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
    else
        local number=${DISPLAY#*:}
        [ -S "/tmp/.X11-unix/X${number%%.*}" ]
    fi
}
# Platforms that draw without a display (offscreen, vnc, ...) are the user's explicit choice.
case "${QT_QPA_PLATFORM:-}" in
    ""|wayland*|xcb*)
        if ! wayland_reachable && ! x_reachable; then
            echo "run: no display to show $program on: neither a Wayland display (WAYLAND_DISPLAY) nor an X display (DISPLAY) answers" >&2
            exit 1
        fi ;;
esac

bash scripts/setup.sh
# Programs that read files find them in their working directory, beside the executable.
cd "build/$program"
exec "./$program"
