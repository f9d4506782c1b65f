#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer) and runs each for a while:
#   bash scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/setup.sh
packages=(clang libclang-rt-14-dev)
dpkg-query -W -f='${Status}' "${packages[@]}" 2>/dev/null | grep -c "install ok installed" |
  grep -q "^${#packages[@]}$" || { apt-get update -qq && apt-get install -y -qq "${packages[@]}"; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVEXIL_FUZZ=ON -DVEXIL_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_collection fuzz_pbm fuzz_olive fuzz_popeyefile fuzz_solution
mkdir -p build-fuzz/corpus-collection build-fuzz/corpus-pbm build-fuzz/corpus-olive build-fuzz/corpus-popeye \
  build-fuzz/corpus-solution
cp examples/sample.dgr build-fuzz/corpus-collection/
build-fuzz/fuzz/fuzz_collection -max_total_time="$seconds" build-fuzz/corpus-collection
build-fuzz/fuzz/fuzz_pbm -max_total_time="$seconds" build-fuzz/corpus-pbm
cp tests/interchange/popeye/*.inp build-fuzz/corpus-popeye/
build-fuzz/fuzz/fuzz_olive -max_total_time="$seconds" build-fuzz/corpus-olive
build-fuzz/fuzz/fuzz_popeyefile -max_total_time="$seconds" build-fuzz/corpus-popeye
cp tests/solution/data/*/stdout.txt build-fuzz/corpus-solution/ 2>/dev/null || true
build-fuzz/fuzz/fuzz_solution -max_total_time="$seconds" build-fuzz/corpus-solution
