#!/bin/sh
# Every option --help names is in the manual page, and the manual page names
# no option --help does not know.
set -eu
program=$1
page=$2
from_help=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
from_page=$(sed 's/\\-/-/g' "$page" | grep -o -- '--[a-z][a-z-]*' | sort -u)
if [ "$from_help" != "$from_page" ]; then
  echo "--help:"; echo "$from_help"; echo "manual page:"; echo "$from_page"
  exit 1
fi
