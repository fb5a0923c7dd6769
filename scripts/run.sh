#!/usr/bin/env bash
# Builds Ravenmark in build/ and starts it; the arguments go to the program ("bypass" skips the splash).
#
#   scripts/run.sh [bypass]
#
# Needs a desktop session. Without one, `scripts/with-services.sh scripts/run.sh` runs it on a virtual
# X server (useful for a smoke test, not for watching).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session" >&2
    exit 1
fi
exec build/src/ravenmark "$@"
