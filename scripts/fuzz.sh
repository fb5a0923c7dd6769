#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, ASan, UBSan) in build-fuzz/ and runs each for a while.
#
#   scripts/fuzz.sh [SECONDS]     each fuzzer's running time, default 60
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
scripts/setup.sh fuzz
scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DRAVENMARK_BUILD_FUZZ=ON -DRAVENMARK_BUILD_TESTS=OFF

export QT_QPA_PLATFORM=offscreen
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    if [[ -f "$fuzzer" && -x "$fuzzer" ]]; then
        echo "== $fuzzer, $seconds s"
        "$fuzzer" -max_total_time="$seconds"
    fi
done
