#!/usr/bin/env bash
# Starts Kesmora from the build tree on the bundled sample data. The build tree is itself a
# program directory (it holds the reference files), unless KESMORA_HOME names another.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/kesmora" "$@"
fi
echo "No display found: printing the aspectarian of the sample person (Example) against"
echo "the transits of the next seven days with kesmora-cli instead. To see the window, run"
echo "'make run' in a desktop session, or under a virtual display: xvfb-run -a make run"
"$bin/kesmora-cli" aspectarian --natal Example --transit-now --days 7 "$@"
