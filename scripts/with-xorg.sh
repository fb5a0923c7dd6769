#!/usr/bin/env bash
# Runs a command on a private X server with screens that can be plugged in and out, then stops it.
#
#   scripts/with-xorg.sh COMMAND [ARG...]
#
# Xvfb has a single output and ignores `xrandr --setmonitor`, so tests of several monitors run on
# Xorg with the dummy video driver instead: headless, no root, outputs DUMMY0 to DUMMY15. DUMMY0 is
# on at XORG_FIRST_SCREEN (1920x1080); the others are off until the command plugs them in. All of them
# together fit in XORG_VIRTUAL (default 3840x2160):
#
#   xrandr --newmode NAME CLOCK H... V... ; xrandr --addmode DUMMY1 NAME
#   xrandr --output DUMMY1 --mode NAME --right-of DUMMY0     (plugged in)
#   xrandr --output DUMMY1 --off                             (unplugged)
#
# DISPLAY is exported to COMMAND; the server is stopped by its PID when COMMAND ends or this script
# is interrupted. Exits with COMMAND's status.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 COMMAND [ARG...]" >&2
    exit 2
fi
first_screen=${XORG_FIRST_SCREEN:-1920x1080}
virtual=${XORG_VIRTUAL:-3840x2160}

rundir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-xorg.XXXXXX")
xorg_pid=
stop_xorg() {
    if [[ -n "$xorg_pid" ]]; then
        kill -TERM "$xorg_pid" 2>/dev/null || true
        wait "$xorg_pid" 2>/dev/null || true
    fi
    rm -rf "$rundir"
}
trap stop_xorg EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# No input devices (the server's virtual core keyboard and pointer remain), room for the monitors
# (XORG_VIRTUAL), and a monitor range wide enough for any mode a test adds.
cat >"$rundir/xorg.conf" <<CONF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 262144
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual ${virtual%x*} ${virtual#*x}
    EndSubSection
EndSection
CONF

# Xorg picks a free display itself and writes its number once it accepts connections.
Xorg -displayfd 3 -config "$rundir/xorg.conf" -noreset -nolisten tcp -novtswitch -sharevts \
    -logfile "$rundir/xorg.log" 3>"$rundir/display" >"$rundir/xorg.out" 2>&1 &
xorg_pid=$!
for ((tries = 0; tries < 200; tries++)); do
    [[ -s "$rundir/display" ]] && break
    if ! kill -0 "$xorg_pid" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
if [[ ! -s "$rundir/display" ]]; then
    echo "with-xorg.sh: Xorg with the dummy driver did not start" >&2
    sed 's/^/    /' "$rundir/xorg.out" "$rundir/xorg.log" 2>/dev/null | grep -E 'EE|Fatal' >&2 || true
    exit 1
fi
DISPLAY=":$(head -n 1 "$rundir/display")"
export DISPLAY
xrandr --output DUMMY0 --mode "$first_screen" --pos 0x0

# In the background, so that a signal to this script stops the command, then the server, at once.
"$@" &
command_pid=$!
trap 'kill -TERM "$command_pid" 2>/dev/null || true; wait "$command_pid" 2>/dev/null || true; exit 130' INT
trap 'kill -TERM "$command_pid" 2>/dev/null || true; wait "$command_pid" 2>/dev/null || true; exit 143' TERM
status=0
wait "$command_pid" || status=$?
exit "$status"
