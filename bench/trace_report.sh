#!/usr/bin/env bash
# --trace-report over a trace grown from real runs' lines (bench/grow_trace.py:
# by default 200,000 lines over 120 days, about 580 MB), measured side by side
# with `jq -c '.outcome'` reading the same file; both figures in one line.
#
#   bench/trace_report.sh BUILD_FOLDER [LINES]
#
# Targets: faster than jq, peak memory at most 64 MB.
set -euo pipefail
build=$(cd "$1" && pwd)
lines=${2:-200000}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/real_trace_lines.sh"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
real_trace_lines "$build" "$folder"
/usr/bin/python3 "$here/grow_trace.py" "$folder/real.log" "$folder/big.log" "$lines" 120
megabytes=$(($(stat -c %s "$folder/big.log") / 1000000))

# Elapsed seconds and peak resident kilobytes of one command, by GNU time.
measure() { /usr/bin/time -f '%e %M' -o "$folder/time" "$@" > /dev/null && cat "$folder/time"; }
cat "$folder/big.log" > /dev/null  # both read it from the page cache
read -r own own_kb < <(measure "$build/src/cli/xkmtool" --trace-report "$folder/page.html" \
  --report "$folder/figures.json" "$folder/big.log")
read -r jq_s _ < <(measure jq -c .outcome "$folder/big.log")
runs=$(jq .runs.total "$folder/figures.json")
if [ "$runs" -ne "$lines" ]; then
  echo "trace_report: expected $lines runs, the report counted $runs" >&2
  exit 1
fi
printf 'trace_report lines=%d megabytes=%d seconds=%s peak_mb=%d jq_seconds=%s target=faster_than_jq,64MB\n' \
  "$lines" "$megabytes" "$own" $((own_kb / 1024)) "$jq_s"
