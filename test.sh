#!/usr/bin/env bash
# Installs what is missing, builds Korvel with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh

build=build
korvel_configure "$build" -DKORVEL_BUILD_TESTS=ON -DKORVEL_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
