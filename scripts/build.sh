#!/usr/bin/env bash
# Configures and builds slipprint into ./build: the targets named on the
# command line, or everything (program, tests and benchmarks) when none is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" "${targets[@]}"
