#!/usr/bin/env bash
# Installs the Debian 12 packages Ravenmark needs, and only those that are missing.
#
#   scripts/setup.sh              build, test and run
#   scripts/setup.sh bench        ... and the benchmarks
#   scripts/setup.sh format       ... and clang-format
#   scripts/setup.sh fuzz         ... and clang with libFuzzer
#   scripts/setup.sh screenshots  ... and the screenshot tools
#   scripts/setup.sh all          everything above
#
# When nothing is missing it only asks dpkg and returns. As root it runs apt-get; otherwise it prints the
# apt-get command to run and exits with status 1.
set -euo pipefail

# Packages pulled in by the ones below are not repeated: qt6-base-dev brings libgl-dev, the xcb and offscreen
# platform plugins (in libqt6gui6) and Qt Test. Xvfb runs without an authority file, so xauth is not needed; dbus-daemon is the bus that at-spi-bus-launcher starts.
core=(
    # compiler and build
    build-essential cmake ninja-build
    qt6-base-dev
    # the game record: Qt SQL's SQLite driver
    libqt6sql6-sqlite
    # the live feed's HTTP and WebSocket server
    qt6-httpserver-dev qt6-websockets-dev
    # the buzzer: PulseAudio client library to play, libsndfile to decode the wave file
    pkg-config libpulse-dev libsndfile1-dev
    # NumLock is kept on or off through XKB and XTest; the end-to-end test's key sender uses XTest too
    libx11-dev libxtst-dev
    # the fonts the board is drawn with
    fonts-liberation
    # services for the tests: X server, session and accessibility buses, sound server with a null sink
    # (and, for the tests of monitors plugged in and out, Xorg with the dummy driver and xrandr)
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    xvfb dbus-daemon at-spi2-core python3 python3-pyatspi pulseaudio pulseaudio-utils
    # the sound tests make wave files of every encoding with sox, and run once more on PipeWire
    sox pipewire pipewire-pulse wireplumber
    # ps, with which the test services find and stop every process they started
    procps
    # the icons rendered from the scalable one; the desktop entry and AppStream checks; the package test,
    # which finds the installed program's window and reads its pixels (dpkg-shlibdeps, for the package's
    # dependencies, comes with build-essential)
    librsvg2-bin desktop-file-utils appstream x11-utils imagemagick
    # word processors whose rich text the help reader is tested against; pandoc also makes the manual
    pandoc libreoffice-writer-nogui
)
# the start-up benchmark watches the X server for the board's first paint through XDamage; the overlay
# benchmark loads the feed's page in headless Chromium
bench=(libbenchmark-dev libxdamage-dev chromium)
format=(clang-format)
fuzz=(clang libclang-rt-14-dev)
screenshots=(x11-utils imagemagick)

wanted=("${core[@]}")
for group in "$@"; do
    case "$group" in
    bench) wanted+=("${bench[@]}") ;;
    format) wanted+=("${format[@]}") ;;
    fuzz) wanted+=("${fuzz[@]}") ;;
    screenshots) wanted+=("${screenshots[@]}") ;;
    all) wanted+=("${bench[@]}" "${format[@]}" "${fuzz[@]}" "${screenshots[@]}") ;;
    *)
        echo "setup.sh: unknown group '$group' (bench, format, fuzz, screenshots, all)" >&2
        exit 2
        ;;
    esac
done

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    if [[ "$status" != installed ]]; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

install=(apt-get install -y --no-install-recommends "${missing[@]}")
if ((EUID != 0)); then
    echo "Ravenmark needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root with:" >&2
    echo "  sudo apt-get update && sudo ${install[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Wait for another apt or dpkg run to finish instead of failing at once.
lock_wait=(-o DPkg::Lock::Timeout=600)
apt-get "${lock_wait[@]}" update
"${install[0]}" "${lock_wait[@]}" "${install[@]:1}"
