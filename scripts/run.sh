#!/usr/bin/env bash
# Sets up, builds and starts Vexil on the bundled sample collection.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/vexil examples/sample.dgr
