#!/usr/bin/env bash
# Builds Vexil and measures the item operations on generated collections of 1,000, 10,000
# and 100,000 items. Figures are ratios to one plain write of the same file in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1000 10000 100000; do
  build/bench/bench_collection generate "$n" "$work/bench-$n.dgr"
  build/bench/bench_collection measure "$work/bench-$n.dgr"
  echo
done
build/bench/bench_pbm
build/bench/bench_interchange
