#!/usr/bin/env bash
# Installs what is needed, builds Release, starts the local stand-in service (unless one already
# listens on the development port) and the client in the development environment against it.
#
#   KORVI_DEV_PORT=8787   port of the stand-in (the client is pointed at it)
#   KORVI_DEV_DOWNLOAD_MAX_MB=N  the client's largest download without a length (the stand-in's
#                         endless recordings, POST /dev/endless, stop there)
#   KORVI_XVFB=1          no display: run the client under xvfb-run (a virtual, invisible display)
#   KORVI_BUILD_DIR=dir   build folder (default build/release)
#   KORVI_SKIP_BUILD=1    use what is already built in KORVI_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."

port="${KORVI_DEV_PORT:-8787}"
build_dir="${KORVI_BUILD_DIR:-build/release}"

# Without a display the client cannot show a window: say so before building anything.
launcher=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  if [ "${KORVI_XVFB:-0}" = "1" ]; then
    if ! command -v xvfb-run >/dev/null 2>&1; then
      echo "run.sh: no display, and xvfb-run is not installed (scripts/install-deps.sh installs it)." >&2
      exit 1
    fi
    echo "run.sh: no display; running the client under xvfb-run (nothing will be visible on screen)."
    launcher=(xvfb-run -a -s "-screen 0 1280x800x24")
  else
    echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are empty), so the client cannot show its windows." >&2
    echo "        Run it from a desktop session, or set KORVI_XVFB=1 to run it under xvfb-run on a virtual display." >&2
    exit 1
  fi
fi

if [ "${KORVI_SKIP_BUILD:-0}" != "1" ]; then
  ./scripts/install-deps.sh
  ./scripts/build.sh "$build_dir" Release -DKORVI_BUILD_BENCH=OFF -DKVEnv=dev
fi

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

service_pid=""
client_pid=""
# Each background job leads its own process group (job control below), so stopping the group
# also stops what it started (xvfb-run's X server and client).
stop() {
  if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
    kill -TERM -- "-$1" 2>/dev/null || kill -TERM "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  fi
}
# The client first, then the stand-in this script started (never one that was already running).
cleanup() {
  stop "$client_pid"
  stop "$service_pid"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

set -m
if listening; then
  echo "run.sh: a service already listens on 127.0.0.1:$port; using it."
else
  service="$build_dir/tests/support/korvi-devservice"
  if [ ! -x "$service" ]; then
    echo "run.sh: $service is missing (build with tests on: KORVI_BUILD_TESTS=ON)." >&2
    exit 1
  fi
  "$service" --port "$port" &
  service_pid=$!
  for _ in $(seq 1 50); do
    listening && break
    if ! kill -0 "$service_pid" 2>/dev/null; then
      echo "run.sh: the stand-in service did not start." >&2
      exit 1
    fi
    sleep 0.1
  done
  if ! listening; then
    echo "run.sh: the stand-in service does not answer on port $port." >&2
    exit 1
  fi
  echo "run.sh: stand-in service on http://127.0.0.1:$port (sign in with any phone number and the code 123456)."
fi

export KORVI_DEV_PORT="$port"
export KVEnv=dev
# In the background, so that an interrupt reaches this script at once and ends both.
"${launcher[@]}" "$build_dir/app/korvi" "$@" &
client_pid=$!
status=0
wait "$client_pid" || status=$?
client_pid=""
exit $status
