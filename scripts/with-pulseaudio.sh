#!/usr/bin/env bash
# with-pulseaudio.sh <command> [args...]
# Runs a command against a private PulseAudio daemon: one null sink and one
# sine-wave source, so tests have real devices without a sound card. The daemon
# uses its own runtime folder and socket (never a user's running daemon) and is
# stopped by its process id when the command ends.
#
# The source is a pipe fed at real rate in 10 ms pieces, as a microphone
# delivers. The daemon's own sine source pushes 2 s at once every 2 s, more
# than a recording client buffers: most of its sound was dropped before it
# reached GStreamer's pulsesrc.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 <command> [args...]" >&2
  exit 2
fi
if ! command -v pulseaudio >/dev/null 2>&1; then
  echo "with-pulseaudio: pulseaudio is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi
if ! command -v gst-launch-1.0 >/dev/null 2>&1; then
  echo "with-pulseaudio: gst-launch-1.0 is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvi-pulse.XXXXXX")
chmod 700 "$runtime"
socket="$runtime/native"
pa_pid=""
writer_pid=""

cleanup() {
  if [ -n "$writer_pid" ] && kill -0 "$writer_pid" 2>/dev/null; then
    kill -TERM "$writer_pid" 2>/dev/null || true
    wait "$writer_pid" 2>/dev/null || true
  fi
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
  -L "module-pipe-source source_name=korvi_sine_source file=$runtime/sine format=float32le rate=48000 channels=1 source_properties=device.description=Korvi-Sine-Source" \
  >"$runtime/daemon.log" 2>&1 &
pa_pid=$!

# wait_for <pid> <log> <what failed> <command...>: polls the command for up to 10 s while the
# process lives; on failure says so with the process's log and ends the script.
wait_for() {
  local pid=$1 log=$2 failed=$3
  shift 3
  for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    if "$@"; then return 0; fi
    sleep 0.1
  done
  echo "with-pulseaudio: $failed:" >&2
  cat "$log" >&2 || true
  exit 1
}
wait_for "$pa_pid" "$runtime/daemon.log" "the daemon did not start" sh -c 'pactl info >/dev/null 2>&1'

# While nobody records, the daemon leaves the pipe full: the leaky queue drops
# what cannot be written, so no backlog builds up to be handed over at once
# later. Unbuffered: the file sink's own 64 KiB buffer would make bursts again.
gst-launch-1.0 -q audiotestsrc is-live=true wave=sine freq=440 samplesperbuffer=480 \
  ! audio/x-raw,format=F32LE,rate=48000,channels=1 \
  ! queue leaky=downstream max-size-buffers=2 max-size-bytes=0 max-size-time=0 \
  ! filesink buffer-mode=unbuffered location="$runtime/sine" >"$runtime/writer.log" 2>&1 &
writer_pid=$!
# Ready once the first sound comes out of the source.
wait_for "$writer_pid" "$runtime/writer.log" "the sine source gives no sound" \
  sh -c '[ "$(timeout 2 parec -d korvi_sine_source --raw 2>/dev/null | head -c 4800 | wc -c)" -eq 4800 ]'
pactl set-default-sink korvi_null_sink >/dev/null
pactl set-default-source korvi_sine_source >/dev/null

set +e
"$@"
status=$?
set -e
exit "$status"
