#!/usr/bin/env bash
# Runs the keyboard end-to-end test: the real board, real key events through XTest, values read back
# through AT-SPI.
#
#   tests/e2e/run_e2e.sh RAVENMARK XKEYS        e.g. build/src/ravenmark build/tests/xkeys
#
# It needs an X server, a session bus and the AT-SPI bus on it; when DISPLAY or DBUS_SESSION_BUS_ADDRESS
# is not set it runs itself under scripts/with-services.sh, which starts them privately. The board always
# gets a new, empty settings store (its own HOME and XDG_CONFIG_HOME), so every key has its default binding
# even when other tests of the same run have saved settings. Exits with the driver's status.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 RAVENMARK XKEYS" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${DISPLAY:-}" || -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
    exec "$here/../../scripts/with-services.sh" "$0" "$@"
fi
program=$(realpath "$1")
xkeys=$(realpath "$2")

workdir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-e2e.XXXXXX")
board_pid=

cleanup() {
    local status=$? tries
    if [[ -n "$board_pid" ]]; then
        kill -TERM "$board_pid" 2>/dev/null || true
        for ((tries = 0; tries < 50; tries++)); do
            kill -0 "$board_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$board_pid" 2>/dev/null || true
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

# The board, with a settings store and a game record of its own that do not exist yet (another run's
# unfinished game would otherwise be resumed).
mkdir -p "$workdir/home" "$workdir/config" "$workdir/data"
env HOME="$workdir/home" XDG_CONFIG_HOME="$workdir/config" XDG_DATA_HOME="$workdir/data" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$program" bypass >"$workdir/board.log" 2>&1 &
board_pid=$!

echo "board: pid $board_pid on DISPLAY=$DISPLAY"
status=0
# shellcheck disable=SC2086  # E2E_DRIVER_OPTIONS holds separate options, e.g. --allow-focus-help
/usr/bin/python3 "$here/test_keyboard_e2e.py" --pid "$board_pid" --xkeys "$xkeys" \
    --settings "$workdir/config/Ravenmark/Ravenmark.conf" ${E2E_DRIVER_OPTIONS:-} ||
    status=$?
if ! kill -0 "$board_pid" 2>/dev/null; then
    echo "run_e2e.sh: the board ended during the test" >&2
    status=1
fi
exit "$status"
