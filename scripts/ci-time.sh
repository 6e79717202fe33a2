#!/usr/bin/env bash
# Where the build and test time goes, to see what a change costs:
#   bash scripts/ci-time.sh [build folder...]        (default: build build-sanitize)
# For each build folder, from .ninja_log (the last build of every output): the number of steps,
# their seconds summed (each step's wall time: about its CPU time on an idle machine) and the 20
# slowest; then the wall time of each stage of the last scripts/test.sh run (build/ci-stages.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
dirs=("$@")
[ ${#dirs[@]} -gt 0 ] || dirs=(build build-sanitize)

for dir in "${dirs[@]}"; do
  log=$dir/.ninja_log
  if [ ! -f "$log" ]; then
    echo "$dir: no .ninja_log (not built yet)"
    continue
  fi
  # One line per step: an edge with several outputs is listed once per output with the same
  # command hash and times.
  awk -v dir="$dir" '
    /^#/ { next }
    { last[$4] = $0 }
    END {
      for (out in last) {
        split(last[out], f, "\t")
        key = f[5] " " f[1] " " f[2]
        if (key in seen) continue
        seen[key] = 1
        secs = (f[2] - f[1]) / 1000
        total += secs
        steps++
        printf "%9.1f  %s\n", secs, out > "/dev/stderr"
      }
      printf "== %s: %d steps, %.0f CPU-seconds\n", dir, steps, total
    }' "$log" 2> >(sort -rn | head -20 > "$dir/.ci-time-slowest")
  wait
  echo "   the 20 slowest (seconds):"
  cat "$dir/.ci-time-slowest"
  rm -f "$dir/.ci-time-slowest"
done

if [ -f build/ci-stages.txt ]; then
  echo "== wall time of each stage of the last scripts/test.sh"
  cat build/ci-stages.txt
fi
