#!/usr/bin/env bash
# Packages the build tree VEXIL_BUILD (or takes VEXIL_DEB, or builds the package in its own clean
# build folder), installs it
# with apt-get, checks the installed menu entry, file types and metadata, and runs the
# installed program as a new ordinary user: once from /usr/bin, once the way a file manager
# opens a double-clicked collection. Removes the user and the package at the end.
# Installing needs root (as in CI); elsewhere the test is skipped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

[ "$(id -u)" -eq 0 ] || { echo "package: skipped, installing a package needs root"; exit 77; }

APP_ID=org.vexil.Vexil
COLLECTION_TYPE=application/x-vexil-collection
# Where the main window draws, in window coordinates: points inside the board's squares a1 and
# a2, regions "W H X Y" of the board's inside, the palette and the Open button's picture, and
# the Options button.
A1="20 252"; A2="20 225"; BOARD="200 200 8 56"; PALETTE="204 50 8 310"; OPEN_PICTURE="20 20 17 5"
OPTIONS="412 23"

# The machine may be installing something else: wait for dpkg's lock rather than fail.
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q "$@"; }

deb=${VEXIL_DEB:-}
if [ -z "$deb" ] && [ -n "${VEXIL_BUILD:-}" ]; then
  # The package of the tree the tests were built in: the program under test, without a second
  # build of it.
  (cd "$WORK" && cpack -G DEB --config "$VEXIL_BUILD/CPackConfig.cmake" -B "$WORK/package") \
    >"$WORK/package.log" 2>&1 || { tail -30 "$WORK/package.log" >&2; fail "cpack failed"; }
  deb=$(ls "$WORK"/package/vexil_*.deb | head -1)
elif [ -z "$deb" ]; then
  bash "$SOURCE_DIR/scripts/package.sh" >"$WORK/package.log" 2>&1 ||
    { tail -30 "$WORK/package.log" >&2; fail "scripts/package.sh failed"; }
  deb=$(ls "$SOURCE_DIR"/vexil_*.deb | head -1)
fi
[ -f "$deb" ] || fail "no package at $deb"

already_installed=no
dpkg-query -W -f='${Status}' vexil 2>/dev/null | grep -q "install ok installed" && already_installed=yes
user="vexil-e2e-$$"
home=""
launcher_pids=()
removed=no

# The programs this test started, by their ids: the user's Vexil windows and their launchers.
stop_programs() {
  if [ -n "$home" ]; then
    for proc in /proc/[0-9]*; do
      [ "$(stat -c %U "$proc" 2>/dev/null)" = "$user" ] && { kill "${proc#/proc/}" 2>/dev/null || true; }
    done
  fi
  for pid in "${launcher_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  launcher_pids=()
}

cleanup() {
  local status=$?
  stop_programs
  stop_all
  if [ -n "$home" ]; then
    sleep 0.5
    userdel -r "$user" >/dev/null 2>&1 || userdel -f -r "$user" >/dev/null 2>&1 || true
  fi
  [ "$already_installed" = no ] && [ "$removed" = no ] && apt_get remove -y vexil >"$WORK/remove.log" 2>&1
  exit "$status"
}
trap cleanup EXIT

apt_get install -y "$(realpath "$deb")" >"$WORK/install.log" 2>&1 ||
  { tail -30 "$WORK/install.log" >&2; fail "the package did not install"; }

# What the package put in place, and whether it is well formed.
for f in /usr/bin/vexil /usr/share/applications/$APP_ID.desktop \
         /usr/share/metainfo/$APP_ID.metainfo.xml /usr/share/mime/packages/$APP_ID.xml \
         /usr/share/icons/hicolor/scalable/apps/$APP_ID.svg \
         /usr/share/icons/hicolor/48x48/apps/$APP_ID.png; do
  [ -f "$f" ] || fail "the package did not install $f"
done
desktop-file-validate /usr/share/applications/$APP_ID.desktop || fail "the desktop file is invalid"
appstreamcli validate --no-net /usr/share/metainfo/$APP_ID.metainfo.xml >"$WORK/appstream.log" 2>&1 ||
  { cat "$WORK/appstream.log" >&2; fail "the metainfo file is invalid"; }
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/$APP_ID.desktop)
[ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon $icon is not installed"
# The program must not lean on the tree it was built in.
if readelf -d /usr/bin/vexil | grep -qiE 'rpath|runpath'; then fail "the installed program has a run path"; fi
if grep -qF "$SOURCE_DIR" /usr/bin/vexil; then fail "the installed program names the source tree"; fi

useradd -m -s /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
# as_user COMMAND...: runs COMMAND as the new user in its home, with a plain session's
# environment and nothing of the test's own.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" SHELL=/bin/bash \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/games LANG=C.UTF-8 DISPLAY="${DISPLAY:-}" \
    bash -c 'cd "$HOME" && exec "$@"' as_user "$@"
}

# The file types and the association, seen as the user sees them.
cp /usr/share/doc/vexil/examples/sample.dgr "$home/sample.dgr"

# The command line is installed beside the program and converts with nothing of the build.
[ -x /usr/bin/vexil-cli ] || fail "/usr/bin/vexil-cli is not installed"
as_user /usr/bin/vexil-cli --help >"$WORK/cli-help.txt" 2>&1 || fail "vexil-cli --help failed"
grep -q "verify-merge" "$WORK/cli-help.txt" || fail "vexil-cli --help names no verify-merge"
as_user /usr/bin/vexil-cli convert --format csv sample.dgr sample.olv >"$WORK/cli-convert.txt" 2>&1 ||
  { cat "$WORK/cli-convert.txt" >&2; fail "vexil-cli convert failed"; }
grep -q "^sample.dgr,sample.olv,[1-9]" "$WORK/cli-convert.txt" ||
  fail "vexil-cli convert told no items: $(cat "$WORK/cli-convert.txt")"
grep -q "^---" "$home/sample.olv" || fail "vexil-cli convert wrote no Olive entry"
cp "$home/sample.dgr" "$home/second.dgr"
cp "$home/sample.dgr" "$home/collection-without-extension"
printf 'P4\n8 2\n\377\000' >"$home/picture.pbm"
# The engine the user has: Debian's Stockfish, named in the user's settings before the start.
mkdir -p "$home/.config/Vexil"
cat >"$home/.config/Vexil/settings.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Vexil\General]
"DragDropOnlyCursor"=dword:00000000
"PrintCust"=dword:00000000
"CopyCust"=dword:00000000
"ViewCust"=dword:00000000
"LayoutCust"=dword:00000000
"PopeyeExe"=""
"PopeyeMem"="4M"
"SfExe"="/usr/games/stockfish"
"SfTime"="1"
"SfThreads"="1"
"SfHash"="16"
REG
chown -R "$user:" "$home"/* "$home/.config"
expect_type() {
  local got
  got=$(as_user xdg-mime query filetype "$1")
  [ "$got" = "$2" ] || fail "xdg-mime calls $1 $got, not $2"
}
expect_type sample.dgr $COLLECTION_TYPE
expect_type collection-without-extension $COLLECTION_TYPE
# Portable Bitmap images share the .pbm extension with the older problem files: they stay images.
expect_type picture.pbm image/x-portable-bitmap
default=$(as_user xdg-mime query default $COLLECTION_TYPE)
[ "$default" = "$APP_ID.desktop" ] || fail "collections open with '$default'"

# The installed program, started from /usr/bin by the user on a collection in its home.
start_display
launch_vexil() {
  as_user /usr/bin/vexil "$@" >"$WORK/vexil.log" 2>&1 &
  VEXIL_PID=$!
  launcher_pids+=("$VEXIL_PID")
}
start_vexil sample.dgr
shot installed
first=$WID
pid=$(xdotool getwindowpid "$first")
[ "$(stat -c %U "/proc/$pid")" = "$user" ] || fail "the window is not the user's program"
[ "$(readlink "/proc/$pid/exe")" = /usr/bin/vexil ] || fail "the window is not /usr/bin/vexil"

# The pictures are drawn: the board's two square colours, the glyphs of the pieces on it (the
# first item of the sample has three) and in the palette, from the font the package depends on,
# and the toolbar's SVG pictures, through the plugin the package depends on.
eval "$(xdotool getwindowgeometry --shell "$first")"
screen="$SHOTS/installed.png"
# region_stat "W H X Y" FORMAT: a figure of a region of the window in the screenshot.
region_stat() {
  local w h x y
  read -r w h x y <<<"$1"
  convert "$screen" -crop "${w}x${h}+$((X + x))+$((Y + y))" +repage -depth 8 "${@:2}" info:- | tail -1
}
black_pixels() { region_stat "$1" -fill white +opaque black -format '%[fx:int((1-mean)*w*h+0.5)]'; }
colours() { region_stat "$1" -format '%k'; }
dark=$(region_stat "1 1 $A1" -format '%[pixel:p{0,0}]')
light=$(region_stat "1 1 $A2" -format '%[pixel:p{0,0}]')
[ "$dark" != "$light" ] || fail "the board has one colour: $dark"
[ "$(black_pixels "$BOARD")" -gt 30 ] || fail "no pieces on the board: $(black_pixels "$BOARD")"
[ "$(black_pixels "$PALETTE")" -gt 300 ] || fail "no pieces in the palette: $(black_pixels "$PALETTE")"
[ "$(colours "$OPEN_PICTURE")" -gt 8 ] || fail "the toolbar has no pictures: $(colours "$OPEN_PICTURE")"

# Settings go to the user's own configuration folder.
written_before=$(stat -c %.9Y "$home/.config/Vexil/settings.reg")
click $OPTIONS
dialog Options
shot options
xdotool key Return
rewritten() { [ "$(stat -c %.9Y "$home/.config/Vexil/settings.reg")" != "$written_before" ]; }
eventually rewritten || fail "the options were not written to $home/.config/Vexil"
grep -q '"SfExe"="/usr/games/stockfish"' "$home/.config/Vexil/settings.reg" ||
  fail "the engine's path was lost when the options were written"
[ "$(stat -c %U "$home/.config/Vexil/settings.reg")" = "$user" ] || fail "the settings are not the user's"

# Solving with Stockfish as the user: /usr/bin takes no files, so the input and the engine's
# output go to the user's own solve folder.
[ -x /usr/games/stockfish ] || fail "no /usr/games/stockfish (scripts/setup.sh --test installs it)"
click 507 23 # Solve, on the toolbar
dialog "Solve interface"
SID=$DIALOG
xdotool mousemove --window "$SID" 115 395 click 1 # the "Stockfish" tab
sleep 0.4
xdotool key --window "$SID" alt+i # Copy item
sleep 0.4
xdotool key --window "$SID" alt+o # Solve
solve_folder="$home/.local/share/Vexil/Vexil/solve"
[ -d "$solve_folder" ] || solve_folder="$home/.local/share/Vexil/solve"
analysing() { grep -qs "^info depth" "$solve_folder/bench.txt"; }
eventually analysing || fail "no analysis in $solve_folder: $(ls -la "$home/.local/share" -R 2>&1 | head -20)"
[ "$(stat -c %U "$solve_folder/ibench.txt")" = "$user" ] || fail "the input file is not the user's"
[ ! -e /usr/bin/ibench.txt ] && [ ! -e /usr/bin/bench.txt ] || fail "files were written in /usr/bin"
import -window "$SID" "$SHOTS/stockfish.png"
xdotool key --window "$SID" alt+p # Stop
engine_gone() { ! pgrep -u "$user" -f "stockfish bench" >/dev/null; }
eventually engine_gone || fail "Stop did not end Stockfish"

# A double click in a file manager: xdg-open finds the menu entry through the association and
# runs its command on the file. A second collection opened while Vexil runs gets its own window.
as_user xdg-open "$home/second.dgr" >"$WORK/xdg-open.log" 2>&1 &
launcher_pids+=("$!")
second=""
for _ in $(seq 300); do
  for w in $(xdotool search --onlyvisible --name '^Vexil$' 2>/dev/null || true); do
    p=$(xdotool getwindowpid "$w" 2>/dev/null || true)
    [ -n "$p" ] && [ "$p" != "$pid" ] && second=$w && pid2=$p
  done
  [ -n "$second" ] && break
  sleep 0.1
done
[ -n "$second" ] || { cat "$WORK/xdg-open.log" >&2; fail "opening second.dgr showed no window"; }
sleep 0.5
shot double-click
grep -qa "second.dgr" "/proc/$pid2/cmdline" || fail "the second window is not on second.dgr"
[ "$(readlink "/proc/$pid2/exe")" = /usr/bin/vexil ] || fail "the second window is not /usr/bin/vexil"

# Removing the package takes the program and the association away again.
if [ "$already_installed" = no ]; then
  stop_programs
  apt_get remove -y vexil >"$WORK/remove.log" 2>&1 || { cat "$WORK/remove.log" >&2; fail "apt-get remove failed"; }
  removed=yes
  [ ! -e /usr/bin/vexil ] || fail "/usr/bin/vexil is still there after removal"
  left=$(as_user xdg-mime query default $COLLECTION_TYPE)
  [ -z "$left" ] || fail "collections still open with '$left' after removal"
fi
echo "package: passed"
