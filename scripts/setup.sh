#!/usr/bin/env bash
# Installs what building (and, with --test, testing; with --package, packaging) Vexil needs on
# Debian 12, if missing.
set -euo pipefail

packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
          libxkbcommon-dev fonts-dejavu-core libyaml-cpp-dev libicu-dev)
if [ "${1:-}" = "--test" ]; then
  packages+=(xvfb xdotool imagemagick x11-utils xauth python3 stockfish clang-format)
fi
# scripts/package.sh: dpkg-shlibdeps computes the package's dependencies, file finds its ELF files.
if [ "${1:-}" = "--package" ] || [ "${1:-}" = "--test" ]; then
  packages+=(dpkg-dev file)
fi
# The package's end-to-end test checks the installed menu entry, file types and metadata.
if [ "${1:-}" = "--test" ]; then
  packages+=(desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl)
  # The clipboard and printing tests: xclip, poppler-utils, and a CUPS queue of cups-pdf.
  packages+=(xclip poppler-utils cups cups-client printer-driver-cups-pdf)
  # The interchange tests check written .olv files against the YACPDB schema.
  packages+=(python3-jsonschema python3-yaml)
  # Publishing: the .tex export is compiled with the diagram package, the SVG looked at.
  packages+=(texlive-latex-base texlive-games texlive-pstricks lmodern librsvg2-bin)
  # The command line's sharded verification runs its shards with GNU parallel.
  packages+=(parallel)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Installing ${missing[*]} needs root or sudo." >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"
