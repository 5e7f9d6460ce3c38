#!/usr/bin/env bash
# Installs what is needed, builds and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build"
export QT_QPA_PLATFORM=offscreen
exec ctest --output-on-failure --parallel "$(nproc)"
