#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ (Release) and runs each of them offscreen, with the test services
# running (the buzzer benchmark plays through the PulseAudio null sink; the start-up benchmark starts the
# program on their X server).
#
#   scripts/bench.sh [BENCHMARK_OPTION...]     e.g. scripts/bench.sh --benchmark_filter=Clock
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != --services-running ]]; then
    scripts/setup.sh bench
    scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DRAVENMARK_BUILD_BENCH=ON -DRAVENMARK_BUILD_TESTS=OFF
    exec scripts/with-services.sh "$0" --services-running "$@"
fi
shift

export QT_QPA_PLATFORM=offscreen
found=0
for bench in build-bench/bench/bench_*; do
    if [[ -f "$bench" && -x "$bench" ]]; then
        found=1
        echo "== $bench"
        "$bench" "$@"
    fi
done
if ((!found)); then
    echo "bench.sh: no benchmark was built (bench/bench_*.cpp)" >&2
    exit 1
fi
