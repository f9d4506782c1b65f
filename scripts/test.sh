#!/usr/bin/env bash
# Sets up, builds and runs every test, the end-to-end tests under Xvfb included.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --test
bash scripts/build.sh
cd build
# The unit tests two at a time (one a core); the end-to-end tests run alone, each on its
# own display.
ctest --output-on-failure -j2
