#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each in turn on its corpus.
#
#   bash scripts/fuzz.sh --ci        about 45 s per target (CI)
#   bash scripts/fuzz.sh --release   10 minutes per target, before a release
#   bash scripts/fuzz.sh --seconds N [TARGET...]
#
# Adding a target: write fuzz/<name>.cpp (defining LLVMFuzzerTestOneInput), add the line
# `nibbly_fuzz(<name> [sources beyond the platform library, e.g. src/widgets/x.cpp])` to
# fuzz/CMakeLists.txt, and put a few small seed files in fuzz/corpus/<name>/. This script runs
# every target it finds built; nothing to change here.
#
# The seeds in fuzz/corpus are only read; what a run learns stays in build/fuzz/corpus, and
# any crash is saved in build/fuzz/crashes and fails the run. Each target's closing figures
# (executions, coverage) are printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=45
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --ci) seconds=45 ;;
        --release) seconds=600 ;;
        --seconds) seconds="$2"; shift ;;
        -*) echo "usage: $0 [--ci | --release | --seconds N] [TARGET...]" >&2; exit 2 ;;
        *) targets+=("$1") ;;
    esac
    shift
done

bash scripts/deps.sh --fuzz
dir=build/fuzz
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIBBLY_FUZZ=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"

if [ ${#targets[@]} -eq 0 ]; then
    for binary in "$dir"/bin/fuzz_*; do targets+=("${binary##*/fuzz_}"); done
fi
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/crashes" "$dir/logs"
failed=0
for name in "${targets[@]}"; do
    work="$dir/corpus/$name"
    mkdir -p "$work" "fuzz/corpus/$name"
    echo "== fuzz_$name: $seconds s"
    if ! "$dir/bin/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$dir/crashes/$name-" "$work" "fuzz/corpus/$name" \
        >"$dir/logs/$name.log" 2>&1; then
        failed=1
        tail -n 40 "$dir/logs/$name.log"
    fi
    grep -E '^#[0-9]+.*(DONE|pulse)' "$dir/logs/$name.log" | tail -n 1 || true
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$dir/logs/$name.log" || true
done
if [ "$failed" -ne 0 ]; then
    echo "fuzzing found a crash: see $dir/crashes" >&2
    exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no crash"
