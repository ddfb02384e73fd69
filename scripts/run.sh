#!/usr/bin/env bash
# Installs what is needed, builds Release, starts the local stand-in service
# and the client against it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build/release Release -DKORVI_BUILD_BENCH=OFF -DKVEnv=dev
service=build/release/tests/support/korvi-devservice
if [ -x "$service" ]; then
  "$service" --port "${KORVI_DEV_PORT:-8787}" &
  service_pid=$!
  trap 'kill $service_pid 2>/dev/null || true' EXIT
  sleep 0.5
fi
exec_status=0
KVEnv="${KVEnv:-dev}" build/release/app/korvi "$@" || exec_status=$?
exit $exec_status
