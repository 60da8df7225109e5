#!/usr/bin/env bash
# How long the batch program takes to start and end, beside /bin/true: the
# cost every call from line automation pays before any work.
#
#   bench/startup.sh PROGRAM [RUNS]
#
# Target: xkmtool --version and --help each within 5 ms of /bin/true (medians).
set -euo pipefail
program=$1
runs=${2:-20}

. "$(dirname "$0")/timing.sh"

true_us=$(median_us /bin/true)
version_us=$(median_us "$program" --version)
help_us=$(median_us "$program" --help)
printf 'startup runs=%d true_ms=%s version_ms=%s help_ms=%s target_ms=5\n' \
  "$runs" "$(ms "$true_us")" "$(ms "$version_us")" "$(ms "$help_us")"
