# Sourced by the benchmark scripts: install_demo BUILD FOLDER lays the build
# out in FOLDER as its package installs it (scripts/lay-out), with instant
# stand-in tools that only leave the files the steps look for, and the demo
# inputs in FOLDER/input.
install_demo() {
  local build=$1 folder=$2 source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  "$source/scripts/lay-out" "$build" "$folder"
  mv "$folder/examples/input" "$folder/input"
  rm -f "$folder"/tools/*
  cat > "$folder/tools.ini" <<'INI'
[Tools]
Brakel=tools/brakel
Lenwatch=tools/lenwatch
QSR=tools/qsr
ZOVEN=tools/zoven
XKM2SGO=tools/xkm2sgo
INI
  # brakel CONTROLFILE: one BCB file per block beside the control file.
  printf '#!/bin/sh\nd=${1%%/*}\n: > "$d/ecu_st10_1.bcb"; : > "$d/ecu_st10_2.bcb"\n' \
    > "$folder/tools/brakel"
  # lenwatch BCBFILE: its length log beside it.
  printf '#!/bin/sh\n: > "${1%%.bcb}_bcb.log"\n' > "$folder/tools/lenwatch"
  printf '#!/bin/sh\nprintf "Type;Name;Value;Range\\r\\nChecksum;CS_BLOCK1;1A2B\\r\\nChecksum;CS_BLOCK2;3C4D\\r\\nChecksum;CS_TOTAL;5E6F7A8B\\r\\n" > CS.LOG\n' \
    > "$folder/tools/qsr"
  # zoven -o MIMFILE BCBFILE
  printf '#!/bin/sh\nprintf ":00000001FF\\r\\n" > "$2"\n' > "$folder/tools/zoven"
  # xkm2sgo -l CONTAINER.xkm: the SGO file beside it.
  printf '#!/bin/sh\n: > "${2%%.xkm}.sgo"\n' > "$folder/tools/xkm2sgo"
  chmod +x "$folder"/tools/*
}

# enter_demo BUILD: the demo laid out (install_demo) in a scratch folder that
# is removed when the script ends, with the operator's data inside it; the
# script goes on in that folder, named by $folder.
enter_demo() {
  folder=$(mktemp -d)
  trap 'rm -rf "$folder"' EXIT
  install_demo "$1" "$folder"
  export XDG_CONFIG_HOME=$folder/.config
  cd "$folder"
}
