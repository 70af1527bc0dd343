#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a set time, one after the
# other in a single process, on a working copy of its seed corpus in
# build-fuzz/corpus/<target>. Prints one summary line per target. Not part
# of CI.
#
#   tools/fuzz.sh [seconds per target (600)] [target ...]
#
# Findings land in build-fuzz/artifacts/<target>/ and the full output in
# build-fuzz/logs/<target>.log. Reproduce one with
#   build-fuzz/fuzz/<target> <file>
# Keep the reproducer in fuzz/corpus/<target>/ once the fault is mended.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-fuzz"
seconds="${1:-600}"
shift || true
all_targets=(fuzz_codec fuzz_split_fields fuzz_project_files fuzz_code_table fuzz_index
             fuzz_import fuzz_print_feed)
if [[ $# -gt 0 ]]; then
    targets=("$@")
else
    targets=("${all_targets[@]}")
fi

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DSHENBAO_BUILD_FUZZ=ON \
    -DSHENBAO_BUILD_TESTS=OFF -DSHENBAO_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"${FUZZ_BUILD_JOBS:-2}" --target "${targets[@]}" >/dev/null

# The targets write their scratch directories under TMPDIR; a memory file
# system spares the disk the flushes of the store's safe replacement.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

mkdir -p "$build/logs"
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts"
    if [[ -d "$root/fuzz/corpus/$target" ]]; then
        cp -n "$root/fuzz/corpus/$target"/* "$corpus"/ 2>/dev/null || true
    fi
    before=$(find "$artifacts" -type f | wc -l)
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    last=$(grep -E '^#[0-9]+' "$log" | tail -n1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    files=$(find "$corpus" -type f | wc -l)
    found=$(( $(find "$artifacts" -type f | wc -l) - before ))
    printf '%-20s runs=%-10s cov=%-6s ft=%-7s corpus=%-6s findings=%s exit=%s\n' \
        "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$files" "$found" "$status"
done
