#!/usr/bin/env bash
# Installs what is needed, builds the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into ./build-sanitize and runs every test with CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build-sanitize"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLIP_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
export QT_QPA_PLATFORM=offscreen
# Leaks are not faults of a test run (the window system's libraries keep
# caches until exit); every other report stops the test that made it.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec ctest --output-on-failure --parallel "$(nproc)"
