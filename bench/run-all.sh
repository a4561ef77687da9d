#!/usr/bin/env bash
# Builds the benchmarks, makes the data folders they need with "vinorda-dati genera" and prints
# one line per measurement: name size program_ms reference_ms ratio peak_rss_mb.
#   bench/run-all.sh [--quick]   (--quick: the smaller sizes only, a few minutes)
# Folders are kept in $VINORDA_BENCH_DIR (default /tmp/vinorda-bench-$USER) for the next run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VINORDA_BUILD_DIR:-$root/build}
quick=0
[ "${1:-}" = "--quick" ] && quick=1
work=${VINORDA_BENCH_DIR:-/tmp/vinorda-bench-${USER:-utente}}
mkdir -p "$work"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/xdg}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target ratios report_stream vinorda-dati >/dev/null

# journal rows and customers of each folder
if [ "$quick" -eq 1 ]; then
  sizes="20000:2000 200000:20000"
  reps=5
else
  sizes="20000:2000 200000:20000 1000000:100000"
  reps=7
fi

folder_for() {  # journal rows, customers
  local dir="$work/g$1-c$2"
  if [ ! -f "$dir/database.mdb" ]; then
    "$build/tools/vinorda-dati" genera "$dir" --movimenti "$1" --clienti "$2" >/dev/null
  fi
  echo "$dir"
}

echo "name size program_ms reference_ms ratio peak_rss_mb"
for s in $sizes; do
  dir=$(folder_for "${s%%:*}" "${s##*:}")
  for kind in startup load journal filter export; do
    "$build/bench/ratios" "$kind" "$dir" "$reps" 2>>"$work/ratios.log"
  done
done
"$build/bench/ratios" quick "$work" "$reps" 2>>"$work/ratios.log"
# Reports written to PDF as laid out: the 1,000-page customer list, then the journal print.
"$build/bench/report_stream" list "$reps" 2>>"$work/report.log"
for s in $sizes; do
  "$build/bench/report_stream" journal "$(folder_for "${s%%:*}" "${s##*:}")" 3 2>>"$work/report.log"
done
