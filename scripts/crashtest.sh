#!/usr/bin/env bash
# Kills writers of the database grid, the settings and a list file N times
# each at random moments and checks every file after each kill.
#   scripts/crashtest.sh [N]        (default 1000; builds first)
set -euo pipefail
source "$(dirname "$0")/setup.sh"
quillon_build
kills="${1:-1000}"
"$QUILLON_BUILD/tests/quillon_filetool" crash-test all "$kills"
for trial in 1 2 3 4 5 6 7 8 9 10; do
  "$QUILLON_BUILD/tests/quillon_filetool" two-process list 500
  "$QUILLON_BUILD/tests/quillon_filetool" two-process counter 300
done
