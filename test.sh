#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
quillon_install_missing
quillon_install_missing --no-recommends libreoffice-calc-nogui
quillon_build
cd "$QUILLON_BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
