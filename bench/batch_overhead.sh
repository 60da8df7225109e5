#!/usr/bin/env bash
# The whole demo process in batch mode with instant stand-in tools: the wall
# time of the xkmtool process is the program's own overhead.
#
#   bench/batch_overhead.sh BUILD_FOLDER [RUNS]
#
# Target: median at most 50 ms.
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-20}
. "$(dirname "$0")/demo_install.sh"
. "$(dirname "$0")/timing.sh"

enter_demo "$build"
command_line=input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l

./xkmtool --batch "$command_line" > /dev/null || {
  echo "batch_overhead: the demo run failed" >&2
  exit 1
}
# The seven tool runs of the process alone, started the same way one after the
# other: the reference that the stand-ins themselves cost.
tools_alone() {
  tools/brakel input/BRAKEL_ST10.ctl
  tools/lenwatch input/ecu_st10_1.bcb
  tools/lenwatch input/ecu_st10_2.bcb
  tools/qsr -b input/CS_ST10.qsr input/ecu_st10.hex
  tools/zoven -o input/reference_mim input/ecu_st10_1.bcb
  tools/zoven -o input/reference_mim input/ecu_st10_2.bcb
  tools/xkm2sgo -l 4711-0815_SW0102.xkm
}

whole=$(median_us ./xkmtool --batch "$command_line")
tools=$(median_us tools_alone)
own_cpu=n/a
if command -v perf > /dev/null &&
  cpu=$(perf stat -i -x, -e task-clock ./xkmtool --batch "$command_line" 2>&1 > /dev/null); then
  own_cpu=$(printf '%s\n' "$cpu" | awk -F, '/task-clock/ { printf "%.3f", $1 }')
fi
printf 'batch_overhead runs=%d median_ms=%s tools_alone_ms=%s overhead_ms=%s own_cpu_ms=%s target_ms=50\n' \
  "$runs" "$(ms "$whole")" "$(ms "$tools")" "$(ms $((whole - tools)))" "$own_cpu"
