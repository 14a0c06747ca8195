#!/usr/bin/env bash
# Starts Kesmora from the build tree on the bundled sample data.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/kesmora" "$@"
fi
echo "No display found: printing the sample person's chart with kesmora-cli instead."
echo "To see the window, run 'make run' in a desktop session (or under xvfb-run)."
echo
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
exec "$bin/kesmora-cli" chart --home "$home/kesmora" --natal Example --transit-now
