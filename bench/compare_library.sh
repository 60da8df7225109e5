#!/usr/bin/env bash
# --compare-library over a trace of 500 orders (the demo's two images, each
# order in a folder of its own), the new library with one changed template
# line, so that every order is previewed with both libraries and compared.
#
#   bench/compare_library.sh BUILD_FOLDER [ORDERS]
#
# Target: well under a minute for 500 orders.
set -euo pipefail
build=$(cd "$1" && pwd)
orders=${2:-500}
. "$(dirname "$0")/demo_install.sh"

enter_demo "$build"

# One trace line per order, as a run writes it: the three inputs with their
# size and digest.
facts() { printf '"%s":{"path":"%s","size":%d,"sha256":"%s"}' "$1" "$2" "$(stat -c %s "$2")" \
  "$(sha256sum "$2" | cut -d' ' -f1)"; }
for ((i = 0; i < orders; i++)); do
  order=$folder/orders/$i
  mkdir -p "$order"
  if ((i % 2)); then image=ecu_tc.s19 a2l=ecu_tc.a2l; else image=ecu_st10.hex a2l=ecu_st10.a2l; fi
  cp input/flowdata_4711.xml "input/$image" "input/$a2l" "$order/"
  printf '{"inputs":{%s,%s,%s},"outcome":"completed"}\n' \
    "$(facts xml "$order/flowdata_4711.xml")" "$(facts hex "$order/$image")" \
    "$(facts a2l "$order/$a2l")" >> runs.log
done
library=$(ls LIB_XKM_*.lbr)
mkdir candidates
sed 's/CHECKSUM=CS_TOTAL;CRC32;0x8/CHECKSUM=CS_TOTAL;CRC32;0x9/' "$library" > candidates/new.lbr

start=$(date +%s%N)
set +e
./xkmtool --compare-library candidates/new.lbr --orders runs.log > compare.out 2> compare.err
code=$?
set -e
end=$(date +%s%N)
different=$(grep -c '^different' compare.out || true)
if [ "$code" -ne 3 ] || [ "$different" -ne "$orders" ]; then
  echo "compare_library: expected $orders different orders and exit 3, got $different and $code" >&2
  cat compare.err >&2
  exit 1
fi
printf 'compare_library orders=%d seconds=%d.%03d target_s=60\n' "$orders" \
  $(((end - start) / 1000000000)) $((((end - start) / 1000000) % 1000))
