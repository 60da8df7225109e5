#!/bin/sh
# The trace report page in headless Chromium: it loads without a console
# message, its charts are in the rendered DOM, and screenshots at a laptop's
# and a narrow window's size are left in OUT for a look.
#
#   trace_page_browser.sh PROGRAM REAL_RUNS_LOG OUT
set -eu
program=$1 runs=$2 out=$3
browser=chromium-headless-shell
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out"

# headless Chromium ARGS...: the rendered DOM on stdout, the console on stderr.
headless() {
  "$browser" --no-sandbox --disable-gpu --enable-logging=stderr --v=0 \
    --user-data-dir="$scratch/profile" "$@"
}
# The console messages a page logs while loading; the check must see one.
console_of() { headless --dump-dom "file://$1" 2>&1 >/dev/null | grep 'CONSOLE' || true; }

printf '<html><body><script>console.error("seen")</script></body></html>' > "$scratch/probe.html"
if [ -z "$(console_of "$scratch/probe.html")" ]; then
  echo "the console check sees no message of a page that logs one" >&2
  exit 1
fi

cp "$runs" "$scratch/runs.log"
"$program" --trace-report "$scratch/page.html" "$scratch/runs.log" > /dev/null
console=$(console_of "$scratch/page.html")
if [ -n "$console" ]; then
  echo "the page logs to the console: $console" >&2
  exit 1
fi
headless --dump-dom "file://$scratch/page.html" > "$scratch/dom.html" 2> /dev/null
charts=$(grep -o '<svg class="chart"' "$scratch/dom.html" | wc -l)
if [ "$charts" -lt 6 ]; then
  echo "the rendered page has $charts charts, not 6" >&2
  exit 1
fi
for size in 1280,800 700,1200; do
  headless --hide-scrollbars --window-size=$size \
    --screenshot="$out/trace-report-${size%%,*}.png" "file://$scratch/page.html" > /dev/null 2>&1
  [ -s "$out/trace-report-${size%%,*}.png" ] || { echo "no screenshot at $size" >&2; exit 1; }
done
echo "the page renders with $charts charts and no console message; screenshots in $out"
