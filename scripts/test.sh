#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (unit and end-to-end).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build && ctest -j "$(nproc)" --output-on-failure
