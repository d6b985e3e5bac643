#!/usr/bin/env bash
# Kills writers of the database grid, the settings and a list file N times
# each at random moments and checks every file after each kill; then kills
# backups and restores M times each (a restore's kill is followed by an open
# that must finish or undo it) and checks every file of the folder.
#   scripts/crashtest.sh [N] [M]    (default 1000 and N/4; builds first)
set -euo pipefail
source "$(dirname "$0")/setup.sh"
quillon_build
kills="${1:-1000}"
archive_kills="${2:-$(( kills / 4 ))}"
for kind in grid settings list; do
  "$QUILLON_BUILD/tests/quillon_filetool" crash-test "$kind" "$kills"
done
for kind in backup restore; do
  "$QUILLON_BUILD/tests/quillon_filetool" crash-test "$kind" "$archive_kills"
done
for trial in 1 2 3 4 5 6 7 8 9 10; do
  "$QUILLON_BUILD/tests/quillon_filetool" two-process list 500
  "$QUILLON_BUILD/tests/quillon_filetool" two-process counter 300
done
