#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/ on a virtual X server, with default settings:
#   splash.png   the program started normally (the splash window)
#   board.png    the program started with "bypass" (the scoreboard)
#   board-*.png  the board's looks: default, nine colours changed, dots, three pictures, at the design size,
#                1920 x 1080 and 3840 x 2160, drawn by the presentation test tst_boardlooks
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != --services-running ]]; then
    scripts/setup.sh screenshots
    scripts/build.sh build -DRAVENMARK_BUILD_TESTS=ON
    exec scripts/with-services.sh "$0" --services-running
fi

export QT_QPA_PLATFORM=xcb
program=build/src/ravenmark
out=docs/screenshots
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-shots.XXXXXX")
program_pid=
cleanup() {
    if [[ -n "$program_pid" ]]; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The id of the largest viewable top-level window of process PID, or nothing.
program_window() {
    local id best='' best_area=0 info width height
    for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}'); do
        [[ "$(xprop -id "$id" _NET_WM_PID 2>/dev/null)" == *" = $1" ]] || continue
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        width=$(awk '/^ *Width:/{print $2}' <<<"$info")
        height=$(awk '/^ *Height:/{print $2}' <<<"$info")
        if ((width * height > best_area)); then
            best=$id
            best_area=$((width * height))
        fi
    done
    echo "$best"
}

# WIDTHxHEIGHT+X+Y of a window on the screen.
window_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ {x = $4}
        /Absolute upper-left Y:/ {y = $4}
        /^ *Width:/ {w = $2}
        /^ *Height:/ {h = $2}
        END {printf "%dx%d+%d+%d\n", w, h, x, y}'
}

# shoot NAME [PROGRAM_ARG...]: starts the program, waits for its window and for the picture to settle,
# writes $out/NAME.png and stops the program.
shoot() {
    local name=$1 window='' geometry tries
    shift
    "$program" "$@" >"$work/$name.log" 2>&1 &
    program_pid=$!

    for ((tries = 0; tries < 200; tries++)); do
        window=$(program_window "$program_pid")
        [[ -n "$window" ]] && break
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [[ -z "$window" ]]; then
        if kill -0 "$program_pid" 2>/dev/null; then
            echo "screenshots.sh: $program $* showed no window within 10 s" >&2
        else
            echo "screenshots.sh: $program $* ended without showing a window" >&2
        fi
        cat "$work/$name.log" >&2
        exit 1
    fi

    # The window is mapped; take pictures until two in a row are the same (painting is done).
    geometry=$(window_geometry "$window")
    import -window root -crop "$geometry" +repage "$work/last.ppm"
    for ((tries = 0; tries < 50; tries++)); do
        sleep 0.1
        import -window root -crop "$geometry" +repage "$work/this.ppm"
        cmp -s "$work/last.ppm" "$work/this.ppm" && break
        mv "$work/this.ppm" "$work/last.ppm"
    done
    convert "$work/last.ppm" -strip "$out/$name.png"
    echo "wrote $out/$name.png ($geometry)"

    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=
}

shoot splash
shoot board bypass

# The looks need the presentation applied the way the board's load and resize handlers apply it; the test
# builds the real board, applies it and saves each look it checks.
RAVENMARK_SCREENSHOT_DIR="$out" build/tests/tst_boardlooks >"$work/looks.log" 2>&1 || {
    cat "$work/looks.log" >&2
    exit 1
}
for shot in "$out"/board-*.png; do
    echo "wrote $shot"
done
