#!/usr/bin/env bash
# with-pulseaudio.sh <command> [args...]
# Runs a command against a private PulseAudio daemon: one null sink and one
# sine-wave source, so tests have real devices without a sound card. The daemon
# uses its own runtime folder and socket (never a user's running daemon) and is
# stopped by its process id when the command ends.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 <command> [args...]" >&2
  exit 2
fi
if ! command -v pulseaudio >/dev/null 2>&1; then
  echo "with-pulseaudio: pulseaudio is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvi-pulse.XXXXXX")
chmod 700 "$runtime"
socket="$runtime/native"
pa_pid=""

cleanup() {
  if [ -n "$pa_pid" ] && kill -0 "$pa_pid" 2>/dev/null; then
    kill -TERM "$pa_pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
      kill -0 "$pa_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pa_pid" 2>/dev/null || true
    wait "$pa_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export PULSE_RUNTIME_PATH="$runtime"
export PULSE_STATE_PATH="$runtime/state"
export PULSE_SERVER="unix:$socket"
export PULSE_COOKIE="$runtime/cookie"
# Clients must never spawn a daemon of their own.
printf 'autospawn = no\n' > "$runtime/client.conf"
export PULSE_CLIENTCONFIG="$runtime/client.conf"
mkdir -p "$PULSE_STATE_PATH"

# -n: no default script, so nothing probes for sound cards, D-Bus or X11.
# Running as root (CI containers) draws a warning only.
pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 --disallow-exit=yes \
  --realtime=no --high-priority=no --log-target=stderr --log-level=error \
  -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
  -L "module-null-sink sink_name=korvi_null_sink sink_properties=device.description=Korvi-Null-Sink" \
  -L "module-sine-source source_name=korvi_sine_source rate=48000 frequency=440" \
  >"$runtime/daemon.log" 2>&1 &
pa_pid=$!

ready=0
for _ in $(seq 1 100); do
  if ! kill -0 "$pa_pid" 2>/dev/null; then break; fi
  if pactl info >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.1
done
if [ "$ready" -ne 1 ]; then
  echo "with-pulseaudio: the daemon did not start:" >&2
  cat "$runtime/daemon.log" >&2 || true
  exit 1
fi
pactl set-default-sink korvi_null_sink >/dev/null
pactl set-default-source korvi_sine_source >/dev/null

set +e
"$@"
status=$?
set -e
exit "$status"
