#!/usr/bin/env bash
# Builds Vexil and measures opening a collection and the item operations on generated
# collections of 1,000, 10,000 and 100,000 items, each with CR LF and with LF-only line ends.
# Every figure is a ratio to a baseline measured in the same run on the same file: Open to
# `wc -l`, the peak memory of Open to the file size, every operation that writes the file to
# a copy of it synced to disk (cp plus fsync).
#   scripts/bench.sh          the usual run, a few minutes
#   scripts/bench.sh large    also 1,000,000 items (about 500 MB), several minutes more
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(1000 10000 100000)
if [[ "${1:-}" == large ]]; then
  sizes+=(1000000)
fi
for n in "${sizes[@]}"; do
  build/bench/bench_collection generate "$n" "$work/crlf-$n.dgr"
  tr -d '\r' < "$work/crlf-$n.dgr" > "$work/lf-$n.dgr"
  for ends in crlf lf; do
    echo "== $n items, line ends: $ends"
    build/bench/bench_collection measure "$work/$ends-$n.dgr"
    echo
  done
  rm -f "$work"/*-"$n".dgr*
done
build/bench/bench_pbm
build/bench/bench_verify 1000
build/bench/bench_views
build/bench/bench_interchange
