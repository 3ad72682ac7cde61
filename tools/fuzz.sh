#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a given time, two at a time.
#   tools/fuzz.sh [seconds per target, default 600] [target...]
# Seeds come from tests/fuzz/corpus/<target>/ (read only); what the fuzzer learns goes to
# build-fuzz/corpus/<target>/, crashes to build-fuzz/artifacts/, logs to build-fuzz/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_config fuzz_knownhosts fuzz_pubkey fuzz_shellquote)
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVEL_FUZZ=ON -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF -DKORVEL_WERROR=ON >/dev/null
cmake --build "$build" --parallel 2 --target "${targets[@]}"

mkdir -p "$build/logs" "$build/artifacts"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
    local target=$1
    local seeds=$root/tests/fuzz/corpus/${target#fuzz_}
    mkdir -p "$build/corpus/$target"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" "$seeds" \
        >"$build/logs/$target.log" 2>&1
}

status=0
pids=()
names=()
for target in "${targets[@]}"; do
    run_one "$target" &
    pids+=($!)
    names+=("$target")
    if [ ${#pids[@]} -eq 2 ]; then
        wait "${pids[0]}" || { echo "$target: FAILED (see $build/logs/${names[0]}.log)"; status=1; }
        pids=("${pids[1]}")
        names=("${names[1]}")
    fi
done
for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || { echo "FAILED: ${names[$i]} (see $build/logs/${names[$i]}.log)"; status=1; }
done

for target in "${targets[@]}"; do
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$target.log" | grep -o '[0-9]*$' || echo '?')
    echo "$target: $runs executions in up to ${seconds}s"
done
exit $status
