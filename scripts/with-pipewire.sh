#!/usr/bin/env bash
# Runs a command against PipeWire's PulseAudio service instead of PulseAudio itself, as a
# Debian 12 desktop has it: pipewire, wireplumber and pipewire-pulse, headless, private to
# this run, with one null sink "ravenmark_null" as the default sink.
#
#   scripts/with-pipewire.sh COMMAND [ARG...]
#
# Exports PULSE_SERVER and XDG_RUNTIME_DIR to COMMAND; stops every service by PID when it ends.
# Exits with COMMAND's status, or 77 (skipped) when PipeWire is not installed.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 COMMAND [ARG...]" >&2
    exit 2
fi
for program in pipewire wireplumber pipewire-pulse pactl dbus-daemon; do
    if ! command -v "$program" >/dev/null; then
        echo "with-pipewire.sh: $program is not installed" >&2
        exit 77
    fi
done

rundir=$(mktemp -d "${TMPDIR:-/tmp}/ravenmark-pipewire.XXXXXX")
mkdir -m 700 "$rundir/home"
pids=()
stop_services() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill -TERM "${pids[i]}" 2>/dev/null || true
    done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$rundir"
}
trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "with-pipewire.sh: $1" >&2
    tail -n 20 "$rundir"/*.log >&2 2>/dev/null || true
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

export XDG_RUNTIME_DIR="$rundir" HOME="$rundir/home"
unset DISPLAY WAYLAND_DISPLAY PULSE_SERVER

# WirePlumber finds PipeWire's other services on a session bus.
dbus-daemon --session --fork --nopidfile --address="unix:path=$rundir/bus" --print-pid=3 \
    3>"$rundir/dbus.pid" 2>"$rundir/dbus.log" || fail "dbus-daemon did not start"
pids+=("$(cat "$rundir/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$rundir/bus"

pipewire >"$rundir/pipewire.log" 2>&1 &
pids+=($!)
wait_for test -S "$rundir/pipewire-0" || fail "pipewire did not start"
wireplumber >"$rundir/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$rundir/pipewire-pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$rundir/pulse/native"
pulse_answers() { pactl info >/dev/null 2>&1; }
wait_for pulse_answers || fail "pipewire-pulse did not start"

pactl load-module module-null-sink sink_name=ravenmark_null >/dev/null || fail "no null sink"
sink_is_default() {
    pactl set-default-sink ravenmark_null 2>/dev/null && [[ "$(pactl get-default-sink)" == ravenmark_null ]]
}
wait_for sink_is_default || fail "the null sink did not become the default"

status=0
"$@" || status=$?
exit "$status"
