#!/usr/bin/env bash
# Installs what is missing, builds Korvel and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh

build=build
korvel_configure "$build"
cmake --build "$build" --parallel "$(nproc)" --target korvel
exec "$build/app/korvel"
