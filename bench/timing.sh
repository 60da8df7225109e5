# Sourced by the benchmark scripts.
# median_us COMMAND...: the median wall time of `runs` runs of COMMAND, in µs.
median_us() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$((runs / 2 + 1))p"
}
# ms MICROSECONDS: as milliseconds with three decimals.
ms() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
