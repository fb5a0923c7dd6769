#!/usr/bin/env bash
# Runs the keyboard end-to-end test: the real board, real key events through XTest, values read back
# through AT-SPI.
#
#   tests/e2e/run_e2e.sh RAVENMARK XKEYS        e.g. build/src/ravenmark build/tests/xkeys
#
# Inside scripts/with-services.sh (or any session that exports them) the X server of DISPLAY and the
# session bus of DBUS_SESSION_BUS_ADDRESS are used as they are. Whatever is missing is started here, private
# to this run: Xvfb on a free display, a session bus, the AT-SPI bus on it. The board always gets a new,
# empty settings store (its own HOME and XDG_CONFIG_HOME), so every key has its default binding even when
# other tests of the same run have saved settings. Everything started here is stopped by PID on exit.
# Exits with the driver's status.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 RAVENMARK XKEYS" >&2
    exit 2
fi
program=$(realpath "$1")
xkeys=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)

workdir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-e2e.XXXXXX")
started=()
board_pid=

descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        descendants "$child"
        echo "$child"
    done
}

cleanup() {
    local status=$? pid victims=() tries
    if [[ -n "$board_pid" ]]; then
        started+=("$board_pid")
    fi
    # The last started first, each one's children (the bus launcher's buses, activated services) before it.
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        pid=${started[i]}
        # shellcheck disable=SC2207
        victims+=($(descendants "$pid") "$pid")
    done
    if ((${#victims[@]})); then
        kill -TERM "${victims[@]}" 2>/dev/null || true
        for ((tries = 0; tries < 50; tries++)); do
            kill -0 "${victims[@]}" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "${victims[@]}" 2>/dev/null || true
    fi
    if ((status != 0)) && [[ -s "$workdir/board.log" ]]; then
        echo "--- board output" >&2
        cat "$workdir/board.log" >&2
    fi
    rm -rf "$workdir"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "run_e2e.sh: $1" >&2
    if [[ -n "${2:-}" && -s "$2" ]]; then
        sed 's/^/    /' "$2" >&2
    fi
    exit 1
}

# Polls CONDITION (a command) every 50 ms for at most 10 s.
wait_for() {
    local tries
    for ((tries = 0; tries < 200; tries++)); do
        if "$@"; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}

if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    mkdir -m 700 "$workdir/runtime"
    export XDG_RUNTIME_DIR="$workdir/runtime"
fi
unset WAYLAND_DISPLAY

# --- X server.
if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
    started+=($!)
    display_written() { [[ -s "$workdir/display" ]] && (($(wc -l <"$workdir/display") > 0)); }
    wait_for display_written || fail "Xvfb did not start" "$workdir/xvfb.log"
    DISPLAY=":$(head -n 1 "$workdir/display")"
    export DISPLAY
fi

# --- Session bus.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
    dbus-daemon --session --fork --nopidfile --address="unix:path=$workdir/session-bus" \
        --print-address=3 --print-pid=4 3>"$workdir/dbus.address" 4>"$workdir/dbus.pid" \
        2>"$workdir/dbus.log" || fail "dbus-daemon did not start" "$workdir/dbus.log"
    started+=("$(cat "$workdir/dbus.pid")")
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$workdir/dbus.address")
    export DBUS_SESSION_BUS_ADDRESS
fi

# --- Accessibility bus, registered on the session bus as org.a11y.Bus; Qt and pyatspi ask it for the
# address. The registry daemon is activated on that bus when the first client needs it.
a11y_bus_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
if ! a11y_bus_owned; then
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$workdir/at-spi.log" 2>&1 &
    started+=($!)
    wait_for a11y_bus_owned || fail "the AT-SPI bus did not start" "$workdir/at-spi.log"
fi

# --- The board, with a settings store of its own that does not exist yet.
mkdir -p "$workdir/home" "$workdir/config"
store="$workdir/config/Ravenmark/Ravenmark.conf"
[[ ! -e "$store" ]] || fail "the settings store $store already exists"
env HOME="$workdir/home" XDG_CONFIG_HOME="$workdir/config" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$program" bypass >"$workdir/board.log" 2>&1 &
board_pid=$!

echo "board: pid $board_pid on DISPLAY=$DISPLAY"
status=0
# shellcheck disable=SC2086  # E2E_DRIVER_OPTIONS holds separate options, e.g. --allow-focus-help
/usr/bin/python3 "$here/test_keyboard_e2e.py" --pid "$board_pid" --xkeys "$xkeys" ${E2E_DRIVER_OPTIONS:-} ||
    status=$?
if ! kill -0 "$board_pid" 2>/dev/null; then
    echo "run_e2e.sh: the board ended during the test" >&2
    status=1
fi
exit "$status"
