#!/bin/sh
# The batch program links no Qt library (a batch run must not pay for loading
# it), and without --batch it opens the window from the module beside it.
#   window_module.sh PROGRAM DEMO_FOLDER
set -eu
program=$1
demo=$2
if readelf -d "$program" | grep -q 'NEEDED.*Qt6'; then
  echo "the batch program links Qt"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$(dirname "$program")/xkmtool-window.so" "$demo"/config/* "$demo"/input/* "$work/"
cd "$work"
XDG_CONFIG_HOME=$work/.config QT_QPA_PLATFORM=offscreen XKM_SCREENSHOT=$work/window.png \
  ./xkmtool flowdata_4711.xml,ecu_st10.hex,ecu_st10.a2l >/dev/null 2>&1 || true
if [ ! -s window.png ]; then
  echo "the window did not open from its module"
  exit 1
fi
