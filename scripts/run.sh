#!/usr/bin/env bash
# Builds KOBIX Server and runs it: the window where a display is available, the headless server
# otherwise. Arguments are passed to the headless server (see kobix-serverd --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/kobix-server ]; then
  exec build/bin/kobix-server
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "The window is not built yet; starting the headless server instead."
fi
# Port 21 needs privileges; without them the headless server listens on 2121.
if [ "$#" -eq 0 ] && [ "$(id -u)" -ne 0 ]; then
  set -- --port 2121
fi
exec build/bin/kobix-serverd "$@"
