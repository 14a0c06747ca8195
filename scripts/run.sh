#!/usr/bin/env bash
# Starts Kesmora from the build tree on the bundled sample data. The build tree is itself a
# program directory (it holds the reference files), unless KESMORA_HOME names another.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/kesmora" "$@"
fi
echo "No display found: printing the planet grid of the sample person (Example) with"
echo "kesmora-cli instead. To see the window, run 'make run' in a desktop session, or"
echo "under a virtual display: xvfb-run -a make run"
echo
"$bin/kesmora-cli" chart --natal Example --transit-now "$@"
