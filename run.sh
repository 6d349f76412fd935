#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on the bundled sample picture.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display to show the editor on." >&2
  echo "Run this command inside a desktop session (X11 or Wayland), or on a machine without one:" >&2
  echo "  sudo apt-get install xvfb && xvfb-run -s '-screen 0 1600x1000x24' ./run.sh" >&2
  exit 1
fi
# The editor runs in its own folder, which holds its settings file and translation table.
cd build/app
exec ./tessaro "$(cd ../.. && pwd)/samples/sample.jpg"
