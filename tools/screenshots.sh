#!/usr/bin/env bash
# Builds the screenshot tool and rewrites docs/*.png from a sample home, on a virtual X display.
# Usage: tools/screenshots.sh [file.png...]   (no names: every scene)
# KORVEL_BUILD_DIR picks another build directory than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
command -v xvfb-run >/dev/null || korvel_install_missing xvfb xauth

build=${KORVEL_BUILD_DIR:-build}
korvel_configure "$build" -DKORVEL_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target korvel_screenshots
# The tool must see the real X platform, not the offscreen one the tests use.
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$build/tools/screenshots/korvel_screenshots" docs "$@"
