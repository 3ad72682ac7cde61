#!/usr/bin/env bash
# Installs what is missing, builds Korvel with its tests and runs every test twice:
# plainly, then built with AddressSanitizer and UndefinedBehaviorSanitizer.
# `./test.sh --plain` skips the sanitized pass.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
# What only the checks below need.
korvel_install_missing clang-format desktop-file-utils appstream

jobs=$(nproc)

# Formatting is checked, not changed: `clang-format -i <file>` fixes what this names.
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
# The desktop entry and the AppStream data as software centres read them. The id stays "korvel"
# until the project has a domain of its own to name it after, so that one hint is only shown.
desktop-file-validate app/korvel.desktop
appstreamcli validate --no-net --override cid-desktopapp-is-not-rdns=info app/korvel.metainfo.xml

korvel_configure build -DKORVEL_BUILD_TESTS=ON -DKORVEL_WERROR=ON
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

if [ "${1:-}" = "--plain" ]; then
    exit 0
fi

korvel_configure build-sanitized -DKORVEL_BUILD_TESTS=ON -DKORVEL_BUILD_BENCH=OFF -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON
cmake --build build-sanitized --parallel "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$KORVEL_ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-sanitized --output-on-failure --parallel "$jobs"
