#!/usr/bin/env bash
# Takes docs/screenshots/audience-two-screens.png: the operator's board on the first screen and the
# audience window on a second one, side by side, after a few keys, on an X server with two monitors
# (Xorg with the dummy driver, scripts/with-xorg.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" != --xorg-running ]]; then
    scripts/setup.sh screenshots
    scripts/build.sh build -DRAVENMARK_BUILD_TESTS=ON
    exec scripts/with-xorg.sh "$0" --xorg-running
fi

export QT_QPA_PLATFORM=xcb
program=build/src/ravenmark
xkeys=build/tests/xkeys
out=docs/screenshots
work=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-audience-shots.XXXXXX")
program_pid=
cleanup() {
    if [[ -n "$program_pid" ]]; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The projector: a second full-HD monitor right of the operator's.
xrandr --newmode 1920x1080_shot 67.54 1920 1968 2000 2080 1080 1083 1088 1120 +hsync -vsync
xrandr --addmode DUMMY1 1920x1080_shot
xrandr --output DUMMY1 --mode 1920x1080_shot --right-of DUMMY0

# A settings store of its own: the audience on DUMMY1, opened at start.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Ravenmark"
cat >"$XDG_CONFIG_HOME/Ravenmark/Ravenmark.conf" <<'CONF'
[TextSettings]
TitleText=City Cup Final
HomeText=Ravens
VisitorText=Harriers
[AudienceSettings]
Screen=DUMMY1
OpenAtStart=Yes
CONF

"$program" bypass >"$work/program.log" 2>&1 &
program_pid=$!
# The operator's board fills the first screen; then a few points, fouls, a period and possession.
"$xkeys" --focus Ravenmark --pid "$program_pid" --resize 1920x1080 \
    Home Prior Insert Delete End F11 F11 F12 p Left Tab Tab Tab Tab Tab Tab Tab 1 2 Return
sleep 1
# Take pictures until two in a row are the same (painting is done).
import -window root "$work/last.ppm"
for ((tries = 0; tries < 50; tries++)); do
    sleep 0.2
    import -window root "$work/this.ppm"
    cmp -s "$work/last.ppm" "$work/this.ppm" && break
    mv "$work/this.ppm" "$work/last.ppm"
done
mkdir -p "$out"
convert "$work/last.ppm" -resize 50% -strip "$out/audience-two-screens.png"
echo "wrote $out/audience-two-screens.png"
