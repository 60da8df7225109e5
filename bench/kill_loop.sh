#!/usr/bin/env bash
# Kills xkmtool with SIGKILL at a random moment of a batch run's tools, COUNT times,
# while each of its tools starts two children at once (one in the tool's
# process group, one in a session of its own), and counts the children that
# outlive the killed run. Prints "kills: N, children started: C, survivors: M";
# exits 1 when any child survived.
#   bench/kill_loop.sh BUILD [COUNT]
set -euo pipefail
build=$(cd "$1" && pwd)
count=${2:-100}
source "$(dirname "$0")/demo_install.sh"
folder=$(mktemp -d "${TMPDIR:-/tmp}/xkmtool-kill-loop-XXXXXX")
trap 'rm -rf "$folder"' EXIT
install_demo "$build" "$folder"
export XDG_CONFIG_HOME="$folder/.config"
pids="$folder/children.pids"

# Each tool starts its children before anything else, then does its work.
for tool in "$folder"/tools/*; do
  mv "$tool" "$tool.work"
  cat > "$tool" <<SCRIPT
#!/bin/sh
sh -c 'echo \$\$ >> "\$0"; exec sleep 30' "$pids" &
setsid sh -c 'echo \$\$ >> "\$0"; exec sleep 30' "$pids" &
exec "$tool.work" "\$@"
SCRIPT
  chmod +x "$tool"
done

survivors=0
started=0
for ((i = 1; i <= count; i++)); do
  : > "$pids"
  (cd "$folder" && exec ./xkmtool --batch \
    input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l > /dev/null 2>&1) &
  run=$!
  # Once the first tool has started its children, at a random moment of the
  # next 100 ms: while that tool or a later one starts its own.
  for ((wait = 0; wait < 1000; wait++)); do
    [ -s "$pids" ] && break
    sleep 0.01
  done
  sleep "0.$(printf '%03d' $((RANDOM % 100)))"
  kill -9 "$run" 2> /dev/null || true
  wait "$run" 2> /dev/null || true
  # The guards end what is left as soon as they see the run gone.
  sleep 0.5
  while read -r pid; do
    if kill -0 "$pid" 2> /dev/null; then
      survivors=$((survivors + 1))
      echo "kill $i: child $pid outlived the run" >&2
      kill -9 "$pid" 2> /dev/null || true
    fi
    started=$((started + 1))
  done < "$pids"
done
echo "kills: $count, children started: $started, survivors: $survivors"
[ "$survivors" -eq 0 ]
