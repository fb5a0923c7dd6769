#!/usr/bin/env bash
# Builds Ravenmark and runs every test, twice:
#   build/       the normal build (RelWithDebInfo when new)
#   build-asan/  Debug with AddressSanitizer and UndefinedBehaviorSanitizer
# The tests run under scripts/with-services.sh: an X server for the *_x11 tests, the session and
# accessibility buses, and a PulseAudio null sink for the *_sound tests; the others run offscreen.
#
#   scripts/test.sh [--no-asan] [CTEST_OPTION...]     e.g. scripts/test.sh --no-asan -R tst_keycodes
#
# Exits with 0 when every ctest run passed, otherwise with the status of the last one that failed.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != --services-running ]]; then
    scripts/setup.sh
    exec scripts/with-services.sh "$0" --services-running "$@"
fi
shift

asan=1
if [[ "${1:-}" == --no-asan ]]; then
    asan=0
    shift
fi

# The sound server is running, so a sound test that cannot reach it has found a fault.
export RAVENMARK_REQUIRE_SOUND=1

jobs=${JOBS:-$(nproc)}
export JOBS=$jobs
status=0

data_home=${XDG_DATA_HOME:-$(mktemp -d)}

# run_tests DIR [CTEST_OPTION...]
run_tests() {
    local dir=$1
    shift
    echo "== Testing $dir"
    # Each tree's tests get a data folder of their own: a game one tree's tests leave unfinished in
    # the record must not be resumed by the other's.
    export XDG_DATA_HOME="$data_home/$dir"
    mkdir -p "$XDG_DATA_HOME"
    ctest --test-dir "$dir" --output-on-failure --parallel "$jobs" --timeout 600 "$@" || status=$?
}

echo "== Building build/"
scripts/build.sh build -DRAVENMARK_BUILD_TESTS=ON
run_tests build "$@"

if ((asan)); then
    echo "== Building build-asan/"
    scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DRAVENMARK_SANITIZE=ON -DRAVENMARK_BUILD_TESTS=ON
    # Any report fails the test: UBSan stops at the first finding, ASan always does. Leak checking stays on.
    # No strict_string_checks: libxkbcommon-x11 strndup()s buffers that are not NUL-terminated, which that
    # option reports as an overflow in every program that opens an X connection.
    export ASAN_OPTIONS=detect_stack_use_after_return=1:check_initialization_order=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_tests build-asan "$@"
fi

# Nothing is printed after ctest's summary, so that it stays the last word of the run.
exit "$status"
