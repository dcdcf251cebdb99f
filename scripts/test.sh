#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; ctest's summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600
