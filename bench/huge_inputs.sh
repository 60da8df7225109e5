#!/usr/bin/env bash
# Huge A2L files through the whole demo process in batch mode (instant stand-in
# tools): a line of 100 MB without a line break, and a 2 GB file (sparse, so it
# costs no disk) read with and without a 1 GB address-space limit. Each must
# end with a result or a clear message, never by a signal.
#
#   bench/huge_inputs.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/demo_install.sh"

enter_demo "$build"
command_line=input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l
demo_a2l=$(cat input/ecu_st10.a2l)

# run NAME [LIMIT_KB]: one batch run; prints exit code, wall time, peak memory
# and the messages.
run() {
  local name=$1 limit=${2:-unlimited} start end code
  start=$(date +%s%N)
  set +e
  rm -f rss.txt
  local timer=()
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -f %M -o rss.txt)
  bash -c 'ulimit -v "$1"; shift; exec "$@"' _ "$limit" "${timer[@]}" ./xkmtool --batch \
    "$command_line" > /dev/null 2> err.txt
  code=$?
  set -e
  end=$(date +%s%N)
  local verdict=ok
  [ "$code" -gt 4 ] && verdict=CRASH
  printf '%-22s exit=%d %s wall_ms=%d peak_rss_MB=%s\n' "$name" "$code" "$verdict" \
    $(((end - start) / 1000000)) "$(($(tail -n1 rss.txt 2>/dev/null || echo 0) / 1024))"
  { grep -v '^Command' err.txt || true; } | cut -c1-110 | sed 's/^/    /'
}

{
  printf '%s\r\n/* ' "${demo_a2l%%/begin CHARACTERISTIC*}"
  head -c $((100 << 20)) /dev/zero | tr '\0' 'x'
  printf ' */\r\n/begin CHARACTERISTIC%s' "${demo_a2l#*/begin CHARACTERISTIC}"
} > input/ecu_st10.a2l
run "a2l_line_100MB"

rm input/ecu_st10.a2l
truncate -s 2G input/ecu_st10.a2l
run "a2l_2GB"
run "a2l_2GB_as_limit_1GB" $((1 << 20))
