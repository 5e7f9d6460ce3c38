#!/usr/bin/env bash
# Installs what is needed, builds the program (with the workbook reader it
# starts and the writer script beside it; not the tests) and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" slipprint
exec "$root/build/slipprint"
