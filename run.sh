#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillon.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
quillon_install_missing
quillon_build
exec "$QUILLON_BUILD/quillon" "$@"
