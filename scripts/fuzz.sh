#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer) and runs each for a while,
# from a seed corpus written from the test data:
#   bash scripts/fuzz.sh [seconds per target] [folder of recorded Popeye runs]...
# Inputs reach 1 MB and more, and a target that grows past the memory limit is a finding:
# small files that take gigabytes are what hostile files do.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
max_len=${FUZZ_MAX_LEN:-1200000}
rss_limit_mb=${FUZZ_RSS_LIMIT_MB:-1024}
# libFuzzer lets inputs grow slowly; FUZZ_LEN_CONTROL=0 tries long inputs from the start.
len_control=${FUZZ_LEN_CONTROL:-100}
bash scripts/setup.sh
packages=(clang libclang-rt-14-dev)
dpkg-query -W -f='${Status}' "${packages[@]}" 2>/dev/null | grep -c "install ok installed" |
  grep -q "^${#packages[@]}$" || { apt-get update -qq && apt-get install -y -qq "${packages[@]}"; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVEXIL_FUZZ=ON -DVEXIL_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(collection pbm olive popeyefile popeyeoutput solution)
cmake --build build-fuzz -j"$(nproc)" --target fuzz_seeds "${targets[@]/#/fuzz_}"
ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz/fuzz_seeds . build-fuzz/seeds "$@"
mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  seeds=build-fuzz/seeds/${target/popeyefile/popeye}
  # The solution reader takes what Popeye prints, as the output parser does.
  [ "$target" = solution ] && seeds=build-fuzz/seeds/popeyeoutput
  corpus=build-fuzz/corpus-$target
  mkdir -p "$corpus"
  echo "== fuzz_$target: $(ls "$seeds" | wc -l) seeds, $seconds s"
  build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -max_len="$max_len" \
    -len_control="$len_control" \
    -rss_limit_mb="$rss_limit_mb" -malloc_limit_mb="$rss_limit_mb" -timeout=30 \
    -artifact_prefix=build-fuzz/findings/$target- -print_final_stats=1 \
    "$corpus" "$seeds" || echo "== fuzz_$target found a fault: see build-fuzz/findings"
done
