#!/usr/bin/env bash
# Sets up and builds the suite and runs it three ways: as built (build/), built with ASan + UBSan
# (build-asan/), and each fuzz target for a short run from its seeds (build-fuzz/, clang). Any failing
# test, any sanitizer report (also from a program a test starts) and any fuzzer finding fails the
# run. The summary of each run is repeated at the end, ctest's summaries last.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${SUITE_FUZZ_SECONDS:-60}
failed=0
ctest_summaries=()
fuzz_summaries=()

bash scripts/setup.sh
logs=$root/build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

# run_suite NAME FOLDER: the whole suite in FOLDER; its summary is kept for the end.
run_suite() {
    local name=$1 folder=$2 log=$logs/$1.log
    echo "=== $name: ctest in $folder"
    if ! (cd "$folder" && ctest --output-on-failure -j"$jobs" --timeout 600) 2>&1 | tee "$log"; then
        failed=1
    fi
    local line
    while IFS= read -r line; do
        ctest_summaries+=("$name: $line")
    done < <(grep -E '^[0-9]+% tests passed|^Total Test time' "$log" || echo "no summary")
}

run_suite plain build

# Under the sanitizers, reports go to files, so that one from a program a test starts counts too.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
reports=$root/build-asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
run_suite asan+ubsan build-asan
unset ASAN_OPTIONS UBSAN_OPTIONS
# A file may hold only LeakSanitizer's count of suppressions used; that is no report.
found=$(grep -l -E 'ERROR: [A-Za-z]+Sanitizer|runtime error:|SUMMARY: [A-Za-z]+Sanitizer' "$reports"/* 2>/dev/null || true)
if [ -n "$found" ]; then
    failed=1
    for report in $found; do
        echo "=== sanitizer report $report"
        cat "$report"
    done
    ctest_summaries+=("asan+ubsan: $(echo "$found" | wc -l) sanitizer report(s), see above")
fi

# Fuzzing: new inputs go to a corpus of the build's own, the seeds stay as they are.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_targets
mkdir -p build-fuzz/artifacts
while IFS=$'\t' read -r target seeds; do
    [ -n "$target" ] || continue
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "=== fuzz $name: ${fuzz_seconds} s from $seeds"
    if UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$target" -max_total_time="$fuzz_seconds" -timeout=25 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" "$corpus" "$seeds" >"$logs/fuzz_$name.log" 2>&1; then
        runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$logs/fuzz_$name.log")
        fuzz_summaries+=("fuzz $name: ${runs:-?} runs in ${fuzz_seconds} s, no finding")
    else
        failed=1
        tail -n 60 "$logs/fuzz_$name.log"
        fuzz_summaries+=("fuzz $name: FAILED (log: $logs/fuzz_$name.log, input in build-fuzz/artifacts/)")
    fi
done < build-fuzz/fuzz_targets.txt

echo "=== summary"
printf '%s\n' "${fuzz_summaries[@]}" "${ctest_summaries[@]}"
exit "$failed"
