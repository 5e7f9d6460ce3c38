#!/usr/bin/env bash
# Batch print of 1,000 slips of a 12-box format (one Code 39 box) into one PDF.
# Ours goes the operator's way (build/slip-batch-print): the format open in the
# main window, the CSV imported into its batch, "打印所有单据" with the printer
# chooser answered, each record put on the slip and its boxes left as typing
# leaves them, the progress window shown and every printed slip stored in the
# history. The peer, glabels-3-batch, merges the same records from the same CSV
# into a template of the same size with the same fields. The limit is the same
# pages drawn straight onto a QPdfWriter (slip-batch-print --plain). Each runs
# three times, in turn; the median counts: for ours and the limit the time of
# the print itself as the program reports it (the window's start and the import
# are not printing), for the peer, which reports nothing, its whole run. Peak
# memory is the largest of the runs (/usr/bin/time -v).
#
# Prints: pages/s: ours N, peer M, ratio R; limit L
#         peak MB: ours A, peer B
#         ours/limit: Q
# With --limit only ours and the limit run (no peer, nothing installed):
#         pages/s: ours N; limit L
#         peak MB: ours A
#         ours/limit: Q
set -euo pipefail
with_peer=1
if [ "${1:-}" = "--limit" ]; then with_peer=0; fi
root="$(cd "$(dirname "$0")/.." && pwd)"
data="$root/bench/data"
build="${BUILD_DIR:-$root/build}"

if [ "$with_peer" = 1 ] && ! command -v glabels-3-batch >/dev/null 2>&1; then
  SUDO=""; if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends glabels >/dev/null
fi
for tool in pdfinfo /usr/bin/time; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing $tool (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
if [ ! -x "$build/slip-batch-print" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target slip-batch-print >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$data/batch-slips.csv" "$data/batch-slips.glabels" "$work/"
cd "$work"
records=$(( $(wc -l < batch-slips.csv) - 1 ))
export QT_QPA_PLATFORM=offscreen

# Seconds and peak kilobytes of one run: "SECONDS KB"; the seconds the tool
# reports itself when it does ("... seconds S"), else the wall time.
measure() {
  local out="$1"; shift
  rm -f "$out"
  /usr/bin/time -v "$@" >run.txt 2>time.txt || { cat run.txt time.txt >&2; echo "failed: $*" >&2; exit 1; }
  local pages
  pages=$(pdfinfo "$out" | awk '/^Pages:/ {print $2}')
  if [ "$pages" != "$records" ]; then echo "$* wrote $pages pages, not $records" >&2; exit 1; fi
  awk -F': ' -v own="$(awk '/seconds/ {print $NF}' run.txt)" '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%.3f %d\n", own != "" ? own : s, kb }' time.txt
}

ours=(); peer=(); limit=(); ours_kb=0; peer_kb=0
for run in 1 2 3; do
  read -r s kb < <(measure ours.pdf "$build/slip-batch-print" batch-slips.csv ours.pdf)
  ours+=("$s"); [ "$kb" -gt "$ours_kb" ] && ours_kb=$kb
  if [ "$with_peer" = 1 ]; then
    read -r s kb < <(measure peer.pdf glabels-3-batch -o peer.pdf batch-slips.glabels)
    peer+=("$s"); [ "$kb" -gt "$peer_kb" ] && peer_kb=$kb
  fi
  read -r s kb < <(measure plain.pdf "$build/slip-batch-print" --plain batch-slips.csv plain.pdf)
  limit+=("$s")
done
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
ours_s=$(median "${ours[@]}"); limit_s=$(median "${limit[@]}"); peer_s=0
[ "$with_peer" = 1 ] && peer_s=$(median "${peer[@]}")
awk -v n="$records" -v o="$ours_s" -v p="$peer_s" -v l="$limit_s" -v okb="$ours_kb" -v pkb="$peer_kb" 'BEGIN {
  ours = n / o; limit = n / l
  if (p > 0) {
    peer = n / p
    printf "pages/s: ours %.0f, peer %.0f, ratio %.1f; limit %.0f\n", ours, peer, ours / peer, limit
    printf "peak MB: ours %.0f, peer %.0f\n", okb / 1024, pkb / 1024
  } else {
    printf "pages/s: ours %.0f; limit %.0f\n", ours, limit
    printf "peak MB: ours %.0f\n", okb / 1024
  }
  printf "ours/limit: %.2f\n", ours / limit
}'
