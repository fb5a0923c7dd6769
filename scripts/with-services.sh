#!/usr/bin/env bash
# shellcheck disable=SC2317 # the functions are called from traps and through wait_for
# Runs a command with the services that Ravenmark's tests and screenshots need, then stops them.
#
#   scripts/with-services.sh COMMAND [ARG...]
#   scripts/with-services.sh bash            (a shell with everything running, for debugging a test)
#
# Started, each private to this run, and exported to COMMAND:
#   DISPLAY                   Xvfb, 1920x1080x24, on a free display, no TCP
#   DBUS_SESSION_BUS_ADDRESS  a D-Bus session bus, with the AT-SPI accessibility bus registered on it
#   PULSE_SERVER              a PulseAudio server whose one sink is the null sink "ravenmark_null"
#   XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_DATA_HOME
#                             empty folders, so the settings store starts empty and the user's own
#                             ~/.config/Ravenmark is never read or written
# All of them are stopped by PID when COMMAND ends or this script is interrupted. Exits with COMMAND's status.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 COMMAND [ARG...]" >&2
    exit 2
fi

rundir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-services.XXXXXX")
mkdir -m 700 "$rundir/runtime" "$rundir/config" "$rundir/data" "$rundir/pulse-home"
service_pids=()

# Every process below PID, the deepest first.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        descendants "$child"
        echo "$child"
    done
}

# True while any of the PIDs is alive.
any_alive() {
    local pid
    for pid in "$@"; do
        kill -0 "$pid" 2>/dev/null && return 0
    done
    return 1
}

stop_services() {
    local i pid victims=() tries
    # The last started first; each service's own children (the accessibility bus, activated services)
    # before the service.
    for ((i = ${#service_pids[@]} - 1; i >= 0; i--)); do
        pid=${service_pids[i]}
        # shellcheck disable=SC2207
        victims+=($(descendants "$pid") "$pid")
    done
    if ((${#victims[@]})); then
        kill -TERM "${victims[@]}" 2>/dev/null || true
        for ((tries = 0; tries < 50; tries++)); do
            any_alive "${victims[@]}" || break
            sleep 0.1
        done
        kill -KILL "${victims[@]}" 2>/dev/null || true
    fi
    rm -rf "$rundir"
}
trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "with-services.sh: $1" >&2
    if [[ -n "${2:-}" && -s "$2" ]]; then
        sed 's/^/    /' "$2" >&2
    fi
    exit 1
}

# Polls CONDITION (a command) every 50 ms for at most 10 s.
wait_for() {
    local tries
    for ((tries = 0; tries < 200; tries++)); do
        if "$@"; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# A clean per-run profile for the services and the command.
export XDG_RUNTIME_DIR="$rundir/runtime" XDG_CONFIG_HOME="$rundir/config" XDG_DATA_HOME="$rundir/data"
unset WAYLAND_DISPLAY

# --- X server. Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset \
    3>"$rundir/display" >"$rundir/xvfb.log" 2>&1 &
service_pids+=($!)
display_written() { [[ -s "$rundir/display" ]] && (($(wc -l <"$rundir/display") > 0)); }
wait_for display_written || fail "Xvfb did not start" "$rundir/xvfb.log"
DISPLAY=":$(head -n 1 "$rundir/display")"
export DISPLAY

# --- Session bus. With --fork, dbus-daemon returns once it is listening.
dbus-daemon --session --fork --nopidfile --address="unix:path=$rundir/session-bus" \
    --print-address=3 --print-pid=4 3>"$rundir/dbus.address" 4>"$rundir/dbus.pid" 2>"$rundir/dbus.log" ||
    fail "dbus-daemon did not start" "$rundir/dbus.log"
service_pids+=("$(cat "$rundir/dbus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$rundir/dbus.address")
export DBUS_SESSION_BUS_ADDRESS

# --- Accessibility bus, registered on the session bus as org.a11y.Bus (Qt asks it for the address).
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$rundir/at-spi.log" 2>&1 &
service_pids+=($!)
a11y_bus_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
wait_for a11y_bus_owned || fail "the AT-SPI bus did not start" "$rundir/at-spi.log"

# --- Sound server. Its own HOME and runtime folder; no default modules (-n), only the null sink and a
# socket that needs no cookie. Clients find it through PULSE_SERVER, so none tries to spawn another.
pulse_socket="$rundir/pulse.sock"
env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME="$rundir/pulse-home" XDG_RUNTIME_DIR="$rundir/pulse-home" \
    pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit --use-pid-file=false \
    --disable-shm=true --log-target=stderr \
    --load="module-null-sink sink_name=ravenmark_null" \
    --load="module-native-protocol-unix socket=$pulse_socket auth-anonymous=1" \
    >"$rundir/pulse.log" 2>&1 &
service_pids+=($!)
export PULSE_SERVER="unix:$pulse_socket"
pulse_answers() { pactl info >/dev/null 2>&1; }
wait_for pulse_answers || fail "PulseAudio did not start" "$rundir/pulse.log"

# The command runs in the background, on this script's standard input, so that a signal sent to this script
# alone (a CI timeout, `kill`) is handled at once: the command is stopped, then the services.
if [[ -e /proc/$$/fd/0 ]]; then
    exec {stdin_copy}<&0
else
    exec {stdin_copy}</dev/null # started with standard input closed
fi
"$@" <&"$stdin_copy" &
command_pid=$!
stop_command() {
    kill -TERM "$command_pid" 2>/dev/null || true
    wait "$command_pid" 2>/dev/null || true
    exit "$1"
}
trap 'stop_command 130' INT
trap 'stop_command 143' TERM
status=0
wait "$command_pid" || status=$?
exit "$status"
