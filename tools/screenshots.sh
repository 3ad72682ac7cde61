#!/usr/bin/env bash
# Builds the screenshot tool and rewrites docs/*.png from a sample home, on a virtual X display:
# every scene in the light palette, again in a dark one (docs/dark-*.png), and a few at twice the
# scale (docs/*-2x.png), and the host editor in German (docs/host-editor-de.png).
# Usage: tools/screenshots.sh [file.png...]   (no names: every scene; names pick light and dark shots)
# KORVEL_BUILD_DIR picks another build directory than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
command -v xvfb-run >/dev/null || korvel_install_missing xvfb xauth

build=${KORVEL_BUILD_DIR:-build}
korvel_configure "$build" -DKORVEL_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target korvel_screenshots
tool=$build/tools/screenshots/korvel_screenshots
# The tool must see the real X platform, not the offscreen one the tests use.
shoot() {
    local screen=$1
    shift
    env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
}
shoot 1600x1000 "$tool" docs "$@"
shoot 1600x1000 "$tool" --dark docs "$@"
if [ $# -eq 0 ]; then
    # Twice the pixels, and a screen to match.
    shoot 3200x2000 env QT_SCALE_FACTOR=2 "$tool" --suffix=-2x docs host-editor.png ssh-keys.png
    shoot 1600x1000 "$tool" --locale=de --suffix=-de docs host-editor.png
fi
