#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ (Release) and runs each of them, with the test services running
# (the buzzer benchmark plays through the PulseAudio null sink; the start-up benchmark and the memory
# figure start the program on their X server). The board benchmarks themselves run offscreen.
#
#   scripts/bench.sh                       every benchmark, then a summary table of the figures
#   scripts/bench.sh [BENCHMARK_OPTION...] every benchmark with these options and no summary,
#                                          e.g. scripts/bench.sh --benchmark_filter=Clock
#
# BENCH_DRIFT_SECONDS (default 60) is how long the clock-error benchmark lets the game clock run.
# The full output is also kept in build-bench/bench-results/ (one .txt per run, .json for Google Benchmark).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != --services-running ]]; then
    scripts/setup.sh bench
    scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DRAVENMARK_BUILD_BENCH=ON -DRAVENMARK_BUILD_TESTS=OFF
    exec scripts/with-services.sh "$0" --services-running "$@"
fi
shift

export QT_QPA_PLATFORM=offscreen
benches=()
for bench in build-bench/bench/bench_*; do
    if [[ -f "$bench" && -x "$bench" ]]; then
        benches+=("$bench")
    fi
done
if ((${#benches[@]} == 0)); then
    echo "bench.sh: no benchmark was built (bench/bench_*.cpp)" >&2
    exit 1
fi

# With options of the caller's own: run everything with them, as they asked.
if (($#)); then
    for bench in "${benches[@]}"; do
        echo "== $bench $*"
        "$bench" "$@"
    done
    exit 0
fi

results=build-bench/bench-results
rm -rf "$results"
mkdir -p "$results"
failed=0

# run NAME PROGRAM [ARG...]: runs one benchmark, shows its output and keeps it in $results/NAME.txt.
run() {
    local name=$1
    shift
    echo "== $*"
    if ! "$@" 2>&1 | tee "$results/$name.txt"; then
        echo "bench.sh: $name failed" >&2
        failed=1
    fi
}

# gbench NAME PROGRAM [ARG...]: a Google Benchmark program, its figures also kept as JSON.
gbench() {
    local name=$1
    shift
    run "$name" "$@" --benchmark_out="$results/$name.json" --benchmark_out_format=json
}

has() { [[ -x build-bench/bench/$1 ]]; }

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$results/load-before.txt"

has bench_key_to_paint && run key_to_paint build-bench/bench/bench_key_to_paint
if has bench_clocks; then
    run clocks_drift build-bench/bench/bench_clocks drift "${BENCH_DRIFT_SECONDS:-60}"
    run clocks_buzzer build-bench/bench/bench_clocks buzzer 20
    run clocks_cpu build-bench/bench/bench_clocks cpu 10
fi
if has bench_layout; then
    gbench layout build-bench/bench/bench_layout
    run layout_cpu build-bench/bench/bench_layout cpu 10
fi
has bench_readout_paint && gbench readout_paint build-bench/bench/bench_readout_paint \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
has bench_startup && run startup build-bench/bench/bench_startup --runs=20
if has bench_settings_parse; then
    gbench settings_parse build-bench/bench/bench_settings_parse --benchmark_filter='BM_Parse|BM_LoadWith'
    # One process per file size: the peak memory figure is the process's high-water mark.
    gbench settings_file_long build-bench/bench/bench_settings_parse \
        --benchmark_filter='BM_LoadFiftyMegabyteFile/1024'
    gbench settings_file_short build-bench/bench/bench_settings_parse \
        --benchmark_filter='BM_LoadFiftyMegabyteFile/32'
fi
# The help viewer's benchmark, once it is there; JSON only if it is a Google Benchmark program.
if has bench_help; then
    if grep -q 'benchmark::Initialize' bench/bench_help.cpp 2>/dev/null; then
        gbench help build-bench/bench/bench_help
    else
        run help build-bench/bench/bench_help
    fi
fi

# Any other benchmark added later: run as it comes.
for bench in "${benches[@]}"; do
    case "${bench##*/}" in
    bench_key_to_paint | bench_clocks | bench_layout | bench_readout_paint | bench_startup | \
        bench_settings_parse | bench_help) ;;
    *) run "${bench##*/}" "$bench" ;;
    esac
done
# The audience window's pixels, beside the operator's board: two monitors, so Xorg with the dummy
# driver rather than Xvfb, with room for a full-HD and a 4K monitor side by side.
has bench_key_x11 && run key_x11_audience env XORG_VIRTUAL=5760x2160 scripts/with-xorg.sh \
    build-bench/bench/bench_key_x11 --audience

# The running board's memory: the real program on the X server, idle with its first paint done.
echo "== build-bench/src/ravenmark bypass (memory)"
memory_home=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-bench-home.XXXXXX")
env HOME="$memory_home" XDG_CONFIG_HOME="$memory_home/config" QT_QPA_PLATFORM=xcb \
    build-bench/src/ravenmark bypass >"$results/memory-board.log" 2>&1 &
board_pid=$!
sleep 10
if kill -0 "$board_pid" 2>/dev/null; then
    grep -E '^(VmRSS|VmHWM):' "/proc/$board_pid/status" | tee "$results/memory.txt"
    kill -TERM "$board_pid"
else
    echo "bench.sh: the board ended before its memory was read" >&2
    failed=1
fi
wait "$board_pid" 2>/dev/null || true
rm -rf "$memory_home"

echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$results/load-after.txt"
echo
/usr/bin/python3 - "$results" <<'SUMMARY'
# The summary: the median of every figure above, as a Markdown table, with the goal it is read against.
import json
import pathlib
import re
import sys

results = pathlib.Path(sys.argv[1])
rows = []
GOALS = {  # a figure's name (a part of it) -> the goal it is compared with
    "key press to repainted": "16.7 ms (one 60 Hz frame)",
    "clock error": "1 ms",
    "horn at the sink": "100 ms",
    "CPU while both clocks run": "1% of one core",
    "changed pixels in Chromium's overlay": "100 ms",
    "screencast frame with the changed overlay": "100 ms",
}


def goal(name):
    return next((value for key, value in GOALS.items() if key in name), "")


def add(name, value, source):
    rows.append((name, value, goal(name), source))


def text(name):
    path = results / f"{name}.txt"
    return path.read_text(errors="replace") if path.exists() else ""


def ms(value, unit):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[unit]
    number = float(value) * scale
    return f"{number:.3f} ms" if number < 10 else f"{number:.1f} ms"


ORDER = ["key_to_paint", "clocks_drift", "clocks_buzzer", "clocks_cpu", "layout", "layout_cpu",
         "readout_paint", "startup", "settings_parse", "settings_file_long", "settings_file_short", "help"]


def ordered(paths):
    return sorted(paths, key=lambda p: (ORDER.index(p.stem) if p.stem in ORDER else len(ORDER), p.stem))


for path in ordered(list(results.glob("*.txt")) + list(results.glob("*.json"))):
    if path.suffix == ".txt":
        output = path.read_text(errors="replace")
        for what, count, value, unit in re.findall(r"^(.+?): n=(\d+) median=(-?[\d.]+) (\w+)", output, re.M):
            shown = ms(value, unit) if unit in ("ns", "us", "ms", "s") else f"{value} {unit}"
            add(f"{what} (median of {count})", shown, path.stem)
        for seconds, value in re.findall(r"^drift over (\d+) s .*= ([\d.]+) ms", output, re.M):
            add(f"clock error: largest gap between engine and reference over {seconds} s", f"{value} ms",
                path.stem)
        cpu_line = r"^(CPU while both clocks run[^:]*): [\d.]+ ms per second \(([\d.]+)% of one core\)"
        for what, value in re.findall(cpu_line, output, re.M):
            add(what, f"{value}% of one core", path.stem)
        continue
    data = json.loads(path.read_text())
    benches = data.get("benchmarks", [])
    aggregated = any(b.get("run_type") == "aggregate" for b in benches)
    for bench in benches:
        if aggregated and bench.get("aggregate_name") != "median":
            continue
        if bench.get("error_occurred"):
            add(bench["name"], "error: " + bench.get("error_message", ""), path.stem)
            continue
        name = re.sub(r"/iterations:\d+", "", bench["name"].removesuffix("_median"))
        if "median_ms" in bench:
            value = f"{ms(bench['median_ms'], 'ms')} (median of {bench['iterations']})"
        else:
            value = ms(bench["real_time"], bench["time_unit"])
            if aggregated:
                value += f" (median of {bench.get('repetitions', 5)} runs)"
        if "peak_MB" in bench:
            value += f", peak RSS {bench['peak_MB']:.0f} MB (+{bench['peak_growth_MB']:.0f} MB)"
        add(name, value, path.stem)

memory = text("memory")
if memory:
    kb = dict(re.findall(r"^(\w+):\s+(\d+) kB", memory, re.M))
    add("board idle at 1920x1080, after its first paint: VmRSS / peak (VmHWM)",
        f"{int(kb['VmRSS']) / 1024:.0f} MB / {int(kb['VmHWM']) / 1024:.0f} MB", "memory")

print("| Figure | Median | Goal | Run |")
print("|---|---|---|---|")
for name, value, target, source in rows:
    print(f"| {name} | {value} | {target} | {source} |")
for name in ("load-before", "load-after"):
    print(text(name).strip())
SUMMARY
exit "$failed"
