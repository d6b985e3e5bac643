#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
quillon_install_missing
# The spreadsheet program converts exports in the tests; a font for Chinese
# letters lets the print test check them too.
quillon_install_missing --no-recommends libreoffice-calc-nogui fonts-wqy-microhei
quillon_build
cd "$QUILLON_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
