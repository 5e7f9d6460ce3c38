#!/usr/bin/env bash
# The speed ratios of one run on this machine, each measured against its own
# limit in the same run, so they carry from one machine to another where
# absolute times do not:
#   import of 30,000 rows through the window over the same import without it
#     (CSV and .xlsx): window_over_bare
#   history of 100,000 slips: search, sort of a column read already and first
#     sort of a list just loaded over their limits: ratio_to_limit; the load's
#     statements on the encrypted file over an unencrypted copy:
#     ratio_to_unencrypted
#   batch print of 1,000 slips: ours/limit, and against the peer
#     (bench/batch-print-vs-peer.sh; --no-peer leaves the peer out and installs
#     nothing)
# Uses the optimised build in build/ (scripts/build.sh), building it first
# when it is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
peer=1
if [ "${1:-}" = "--no-peer" ]; then peer=0; fi
if [ ! -x "$build/slipbench" ] || [ ! -x "$build/slip-batch-print" ]; then
  "$root/scripts/build.sh" >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
"$build/slipbench" --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json \
  --benchmark_filter='WindowOverBare|SearchHistoryOf100k|SortHistoryOf100k|LoadStatementsEncryptedVsUnencrypted' \
  >/dev/null
python3 - "$out" <<'EOF'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") == "aggregate":
        continue
    for key in ("window_over_bare", "ratio_to_limit", "ratio_to_unencrypted"):
        if key in b:
            print(f"{b['name']}: {key} {b[key]:.2f}")
EOF
if [ "$peer" = 1 ]; then
  bash "$root/bench/batch-print-vs-peer.sh"
else
  bash "$root/bench/batch-print-vs-peer.sh" --limit
fi
