#!/usr/bin/env bash
# shellcheck disable=SC2317 # cleanup is called from the EXIT trap
# Soaks the real program under a real X server: both clocks running and about ten keys a second through
# XTest for MINUTES minutes (default 20), the window resized every minute, the board's values read back
# through AT-SPI and compared with a model of the same key stream, its memory (VmRSS) sampled every 10 s.
# Not part of CI: it takes as long as it is told to.
#
#   scripts/soak-x11.sh [MINUTES]          e.g. scripts/soak-x11.sh 2
#
# Builds the program and the xkeys helper in build/ (SOAK_BUILD_DIR to use another folder), then runs the
# board under scripts/with-services.sh with a new, empty settings store. Exits with the driver's status;
# its last lines are the figures (keys sent, CPU, VmRSS at one minute, at the end and at its peak).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-20}
if ! [[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
    echo "usage: $0 [MINUTES]" >&2
    exit 2
fi
build=${SOAK_BUILD_DIR:-build}

if [[ -z "${SOAK_SERVICES_RUNNING:-}" ]]; then
    scripts/setup.sh
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        scripts/build.sh "$build" -DRAVENMARK_BUILD_TESTS=ON
    fi
    cmake --build "$build" --target ravenmark xkeys --parallel "${JOBS:-$(nproc)}"
    SOAK_SERVICES_RUNNING=1 exec scripts/with-services.sh "$0" "$@"
fi

program=$(realpath "$build/src/ravenmark")
xkeys=$(realpath "$build/tests/xkeys")
workdir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-soak.XXXXXX")
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
        echo "--- board output (last 50 lines)" >&2
        tail -n 50 "$workdir/board.log" >&2
    fi
    rm -rf "$workdir"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$workdir/home" "$workdir/config"
env HOME="$workdir/home" XDG_CONFIG_HOME="$workdir/config" XDG_DATA_HOME="$workdir/data" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$program" bypass >"$workdir/board.log" 2>&1 &
board_pid=$!

echo "soak: board pid $board_pid on DISPLAY=$DISPLAY for $minutes min"
status=0
/usr/bin/python3 "$PWD/tests/e2e/soak_x11.py" --pid "$board_pid" --xkeys "$xkeys" --minutes "$minutes" ||
    status=$?
if ! kill -0 "$board_pid" 2>/dev/null; then
    echo "soak-x11.sh: the board ended during the soak" >&2
    status=1
fi
exit "$status"
