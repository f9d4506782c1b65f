#!/usr/bin/env bash
# Builds the Debian package vexil_<version>_amd64.deb in a clean build-package/ and leaves it
# in the repository's root. Install it with: apt install ./vexil_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --package
export CCACHE_BASEDIR="$PWD"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
rm -rf build-package
# Only the program is built: "make install" would otherwise build every test and benchmark.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-package --target vexil -j"$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
rm -f vexil_*.deb
cp build-package/vexil_*.deb .
ls vexil_*.deb
