#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it on this machine, starts the installed
# program as a user would ("ravenmark bypass" through PATH) on the X server in DISPLAY, checks that the
# board appears, painted and at its design size, and removes the package again. The machine is left as
# it was: the package is purged in a trap, whatever fails.
#
#   deb_package_x11.sh BUILD_DIR VERSION BOARD_SIZE      e.g. ... build 1.0.6 632x453
#
# Exits 77 (skipped) when not root or when a ravenmark is already installed, which it must not touch.
set -euo pipefail

if (($# != 3)); then
    echo "usage: $0 BUILD_DIR VERSION BOARD_SIZE" >&2
    exit 2
fi
build=$(realpath "$1") version=$2 board_size=$3
package=ravenmark
skip=77

if ((EUID != 0)); then
    echo "SKIP: installing a package needs root (run the tests as root, as CI does)"
    exit "$skip"
fi
if dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qv '^not-installed$'; then
    echo "SKIP: a $package package is already installed here; this test installs and removes its own"
    exit "$skip"
fi
for leftover in /usr/bin/ravenmark /usr/lib/ravenmark; do
    if [[ -e "$leftover" || -L "$leftover" ]]; then
        echo "SKIP: $leftover exists and belongs to no package; this test would overwrite it"
        exit "$skip"
    fi
done
if [[ -z "${DISPLAY:-}" ]]; then
    echo "FAIL: no DISPLAY; run the tests inside scripts/with-services.sh" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-deb.XXXXXX")
installed=0
program_pid=
cleanup() {
    if [[ -n "$program_pid" ]]; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if ((installed)); then
        dpkg --purge "$package" >"$work/purge.log" 2>&1 || cat "$work/purge.log" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "FAIL: $1" >&2
    if [[ -n "${2:-}" && -s "$2" ]]; then
        sed 's/^/    /' "$2" >&2
    fi
    exit 1
}

# --- The package and what it says about itself.
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
    fail "cpack did not build the package" "$work/cpack.log"
debs=("$work"/package/*.deb)
if ((${#debs[@]} != 1)) || [[ ! -f "${debs[0]}" ]]; then
    fail "cpack did not write exactly one package" "$work/cpack.log"
fi
deb=${debs[0]}

[[ "$(dpkg-deb -f "$deb" Package)" == "$package" ]] || fail "the package is named $(dpkg-deb -f "$deb" Package)"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "the package's version is $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
# The package names alone, between spaces.
depends_names=" $(tr ',|' '\n' <<<"$depends" | awk '{print $1}' | tr '\n' ' ')"
# The libraries the program links and the fonts its board is laid out for.
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libpulse0 libsndfile1 libx11-6 libxtst6 fonts-liberation; do
    [[ "$depends_names" == *" $needed "* ]] || fail "the package does not depend on $needed (Depends: $depends)"
done
dpkg-deb -c "$deb" >"$work/contents"
grep -q ' \./usr/bin/ravenmark -> \.\./lib/ravenmark/ravenmark$' "$work/contents" ||
    fail "the package has no relative link /usr/bin/ravenmark" "$work/contents"
grep -q '^-rwxr-xr-x .* \./usr/lib/ravenmark/ravenmark$' "$work/contents" ||
    fail "the package has no program in /usr/lib/ravenmark" "$work/contents"

# --- Installed. dpkg does not fetch anything: a dependency missing here fails the install, and the trap
# purges the half-installed package.
installed=1
dpkg --install "$deb" >"$work/install.log" 2>&1 || fail "dpkg --install failed" "$work/install.log"
[[ "$(dpkg-query -W -f='${db:Status-Status}' "$package")" == installed ]] ||
    fail "dpkg reports the package as $(dpkg-query -W -f='${db:Status-Status}' "$package")"

# --- Started as a menu or a shell would: by name, through PATH, with a clean environment.
# Its own empty settings, so that it shows the default board.
mkdir -m 700 "$work/runtime" "$work/config" "$work/data"
run_env=(env -i "PATH=/usr/local/bin:/usr/bin:/bin" "DISPLAY=$DISPLAY" "QT_QPA_PLATFORM=xcb"
    "HOME=${HOME:-/root}" "XDG_RUNTIME_DIR=$work/runtime" "XDG_CONFIG_HOME=$work/config"
    "XDG_DATA_HOME=$work/data")
if [[ -n "${PULSE_SERVER:-}" ]]; then
    run_env+=("PULSE_SERVER=$PULSE_SERVER")
fi
[[ "$("${run_env[@]}" sh -c 'command -v ravenmark')" == /usr/bin/ravenmark ]] ||
    fail "ravenmark is not /usr/bin/ravenmark on PATH"
"${run_env[@]}" ravenmark bypass >"$work/program.log" 2>&1 &
program_pid=$!

# The id of the viewable top-level window of the program, or nothing.
program_window() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}'); do
        [[ "$(xprop -id "$id" _NET_WM_PID 2>/dev/null)" == *" = $program_pid" ]] || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        echo "$id"
        return
    done
}

# Bounded waits for a process of its own: the window within 20 s, then a picture that stops changing.
window=
for ((tries = 0; tries < 200; tries++)); do
    window=$(program_window)
    [[ -n "$window" ]] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the installed program ended without a window" "$work/program.log"
    sleep 0.1
done
[[ -n "$window" ]] || fail "the installed program showed no window within 20 s" "$work/program.log"

# A desktop ties the window to its menu entry (name, icon) by the window's class.
entry=/usr/share/applications/io.github.ravenmark.Ravenmark.desktop
[[ -f "$entry" ]] || fail "the package installed no menu entry $entry"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[[ "$(xprop -id "$window" WM_CLASS)" == *", \"$wm_class\"" ]] ||
    fail "the board's window class is not the menu entry's '$wm_class': $(xprop -id "$window" WM_CLASS)"

size=$(xwininfo -id "$window" | awk '/^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print w "x" h}')
[[ "$size" == "$board_size" ]] || fail "the board is ${size}, not ${board_size}"

import -window "$window" "$work/last.png"
for ((tries = 0; tries < 50; tries++)); do
    sleep 0.1
    import -window "$window" "$work/this.png"
    compare -metric AE "$work/last.png" "$work/this.png" null: 2>/dev/null && break
    mv "$work/this.png" "$work/last.png"
done

# Painted: the board's grey background (the default colour 4210752) at its corner, and the many colours
# of its LED digits, captions and frames; an unpainted or black window has one or two.
[[ "$(identify -format '%wx%h' "$work/last.png")" == "$board_size" ]] ||
    fail "the screenshot is $(identify -format '%wx%h' "$work/last.png"), not $board_size"
corner=$(convert "$work/last.png" -format '%[pixel:p{2,2}]' info:)
[[ "$corner" == "srgb(64,64,64)" || "$corner" == "gray(64)" ]] ||
    fail "the board's corner is $corner, not the default background srgb(64,64,64)"
colours=$(identify -format '%k' "$work/last.png")
((colours >= 20)) || fail "the board shows only $colours colours: it is not painted"
# Lit orange clock digits (255,128,0), as the board draws them by default.
orange=$(convert "$work/last.png" -fill black +opaque 'rgb(255,128,0)' -fill white -opaque 'rgb(255,128,0)' \
    -format '%[fx:int(mean*w*h)]' info:)
((orange >= 200)) || fail "the board shows no lit clock digits ($orange orange pixels)"

kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=

# --- Removed, and nothing of it left behind.
installed=0
dpkg --purge "$package" >"$work/purge.log" 2>&1 || fail "dpkg --purge failed" "$work/purge.log"
[[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)" != installed ]] ||
    fail "the package is still installed after dpkg --purge"
for path in /usr/bin/ravenmark /usr/lib/ravenmark /usr/share/applications/io.github.ravenmark.Ravenmark.desktop; do
    [[ ! -e "$path" && ! -L "$path" ]] || fail "$path is left after the package was removed"
done
echo "deb package: built, installed, the board shown at $board_size with $colours colours, removed"
