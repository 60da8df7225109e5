# Sourced by the trace benchmarks: real_trace_lines BUILD FOLDER runs the
# installed program with the sample tools on the demo images, in the ways a
# line sees runs end (completed, a tool's exit code, a crash, missing output,
# a stop, an input changed during the run), and leaves their trace lines in
# FOLDER/real.log.
real_trace_lines() {
  local build=$1 folder=$2 source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  "$source/scripts/lay-out" "$build" "$folder/app" > /dev/null
  echo "TraceLog=$folder/real.log" >> "$folder/app/xkmtool.ini"
  local input=$folder/app/examples/input
  export XDG_CONFIG_HOME=$folder/.config
  order() { # order NAME IMAGE A2L: a fresh folder with the demo order
    mkdir -p "$folder/$1"
    cp "$input/flowdata_4711.xml" "$input/$2" "$input/$3" "$folder/$1/"
    echo "$folder/$1/flowdata_4711.xml,$folder/$1/$2,$folder/$1/$3"
  }
  batch() { "$folder/app/xkmtool" --batch "$@" > /dev/null 2>&1 || true; }
  batch "$(order st10 ecu_st10.hex ecu_st10.a2l)"
  batch "$(order tc ecu_tc.s19 ecu_tc.a2l)"
  XKM_TOOL_FAIL_QSR=exit batch "$(order qsr-exit ecu_st10.hex ecu_st10.a2l)"
  XKM_TOOL_FAIL_ZOVEN=crash batch "$(order zoven-crash ecu_st10.hex ecu_st10.a2l)"
  XKM_TOOL_FAIL_LENWATCH=nofiles batch "$(order lenwatch-nofiles ecu_tc.s19 ecu_tc.a2l)"
  # A slow checksum tool: stopped while it runs, and an input changed under it.
  local qsr=$folder/app/tools/qsr
  mv "$qsr" "$qsr.real"
  printf '#!/bin/sh\nsleep 3\nexec "%s" "$@"\n' "$qsr.real" > "$qsr"
  chmod +x "$qsr"
  local stopped
  stopped=$(order stopped ecu_st10.hex ecu_st10.a2l)
  "$folder/app/xkmtool" --batch "$stopped" > /dev/null 2>&1 &
  local pid=$!
  sleep 1.5
  kill -TERM "$pid"
  wait "$pid" || true
  local changed
  changed=$(order changed ecu_tc.s19 ecu_tc.a2l)
  "$folder/app/xkmtool" --batch "$changed" > /dev/null 2>&1 &
  pid=$!
  sleep 1.5
  echo '<!-- edited -->' >> "$folder/changed/flowdata_4711.xml"
  wait "$pid" || true
  mv "$qsr.real" "$qsr"
}
