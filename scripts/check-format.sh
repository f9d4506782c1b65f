#!/usr/bin/env bash
# Checks that the C++ sources are as clang-format (Debian 12's, version 14) writes them, by the
# rules in .clang-format. With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/setup.sh --test
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
                                  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}" 2>&1 | grep -E '^[^ ].*: (warning|error):' |
  cut -d: -f1 | sort -u > "${TMPDIR:-/tmp}/vexil-unformatted.txt" || true
if [ -s "${TMPDIR:-/tmp}/vexil-unformatted.txt" ]; then
  echo "These files are not formatted (bash scripts/check-format.sh --fix formats them):" >&2
  cat "${TMPDIR:-/tmp}/vexil-unformatted.txt" >&2
  exit 1
fi
echo "formatting: ${#files[@]} files as clang-format writes them"
