#!/usr/bin/env bash
# Installs what is missing, builds the test build and runs the whole suite.
# With --sanitize the suite is built and run under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests

dir=build/tests
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIBBLY_TESTS=ON)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build/sanitize
    flags+=(-DNIBBLY_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
