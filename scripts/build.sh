#!/usr/bin/env bash
# Configures (with Ninja) and builds Ravenmark in a build folder.
#
#   scripts/build.sh DIR [CMAKE_OPTION...]     e.g. scripts/build.sh build-asan -DRAVENMARK_SANITIZE=ON
#
# A new folder gets the RelWithDebInfo build type unless the options name one; an existing folder keeps its
# generator and build type, so a developer's own configuration of build/ is respected. JOBS sets the
# number of parallel compile jobs (default: the number of CPUs).
set -euo pipefail
cd "$(dirname "$0")/.."

if (($# == 0)); then
    echo "usage: $0 DIR [CMAKE_OPTION...]" >&2
    exit 2
fi
dir=$1
shift

configure=(cmake -S . -B "$dir" "$@")
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    configure+=(-G Ninja)
    if [[ " $* " != *" -DCMAKE_BUILD_TYPE="* ]]; then
        configure+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    fi
fi

"${configure[@]}"
cmake --build "$dir" --parallel "${JOBS:-$(nproc)}"
