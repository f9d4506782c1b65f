#!/usr/bin/env bash
# Opens the clipboard window from the toolbar, copies both diagram sizes and the text with real
# clicks, and reads the X clipboard with xclip as another application would. With SCALE=2 the
# program runs at twice the size (QT_SCALE_FACTOR), and the diagrams must come out pixel for
# pixel the same.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

SCALE=${SCALE:-1}
export QT_SCALE_FACTOR=$SCALE
start_on_sample

# pixel FILE X Y: the colour of one pixel of a picture, as "r,g,b".
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}
targets() { xclip -selection clipboard -o -t TARGETS 2>/dev/null; }
has_target() { targets | grep -qx "$1"; }
# click_in X Y: a real click inside the clipboard window.
click_in() {
  xdotool mousemove --window "$CW" $(( $1 * SCALE )) $(( $2 * SCALE )) click 1
  sleep 0.4
}

click $(( 460 * SCALE )) $(( 23 * SCALE )) # Export
dialog "Copy to Windows clipboard"
CW=$DIALOG
# At twice the size the window would reach past the right edge of the screen.
[ "$SCALE" -gt 1 ] && xdotool windowmove --sync "$CW" 500 0 && sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$CW")"
WIDTH=$(( WIDTH / SCALE ))
half=$(( (WIDTH - 24) / 2 ))
left=$(( 8 + half / 2 )); right=$(( 16 + half + half / 2 ))
shot window

# check_diagram SIZE: the clipboard holds only a picture of SIZE pixels with the right squares.
check_diagram() {
  local size=$1 c=$(( ($1 - 2) / 8 )) png="$SHOTS/diagram-$1.png"
  eventually has_target image/png || fail "no image on the clipboard: $(targets)"
  xclip -selection clipboard -o -t image/png >"$png"
  [ "$(identify -format %wx%h "$png")" = "${size}x${size}" ] ||
    fail "diagram is $(identify -format %wx%h "$png"), not $size"
  [ "$(pixel "$png" 0 0)" = "0,0,0" ] || fail "$size: frame $(pixel "$png" 0 0)"
  [ "$(pixel "$png" $(( size - 1 )) $(( size - 1 )))" = "0,0,0" ] || fail "$size: frame corner"
  [ "$(pixel "$png" 1 1)" = "255,255,255" ] || fail "$size: a8 is $(pixel "$png" 1 1)"
  [ "$(pixel "$png" 1 $(( 7 * c + 1 )))" = "192,192,192" ] || fail "$size: a1 is not silver"
  [ "$(pixel "$png" $(( 7 * c + 1 )) $(( 7 * c + 1 )))" = "255,255,255" ] || fail "$size: h1"
  # The black king on h8: dark figure pixels in its square, none outside the squares' grid.
  local ink
  ink=$(convert "$png" -crop "${c}x${c}+$(( 7 * c + 1 ))+1" -threshold 30% -negate \
        -format "%[fx:mean*w*h]" info:)
  [ "${ink%.*}" -gt 40 ] || fail "$size: no king on h8 ($ink dark pixels)"
}

xclip -selection clipboard -i <<<"text that was there before"
click_in "$left" 347 # Copy diagram 218 x 218
check_diagram 218
has_target UTF8_STRING && fail "text left on the clipboard beside the picture: $(targets)"

click_in "$right" 347 # Copy diagram 202 x 202
image_width_is() { [ "$(xclip -selection clipboard -o -t image/png | identify -format %w -)" = "$1" ]; }
eventually image_width_is 202 || fail "the 202 button did not copy"
check_diagram 202

click_in 16 377 # Copy diagram and all text
click_in "$left" 347
eventually has_target text/plain || fail "no text beside the picture: $(targets)"
has_target image/png || fail "the picture went when the text came: $(targets)"
xclip -selection clipboard -o -t text/plain >"$WORK/copied.txt"
shot with-text
head -1 "$WORK/copied.txt" | grep -qx "W. A. Shinkman" || fail "first line: $(head -1 "$WORK/copied.txt")"
sed -n 4p "$WORK/copied.txt" | grep -qx "( 2 + 1 )" || fail "count line: $(sed -n 4p "$WORK/copied.txt")"
tail -1 "$WORK/copied.txt" | grep -qx "1...Kh8-g8 2.Rb7-b8#" || fail "last line: $(tail -1 "$WORK/copied.txt")"
[ "$(tail -c1 "$WORK/copied.txt" | od -An -c | tr -d ' ')" = '\n' ] || fail "no line end after the last line"

click_in 16 283 # All in text notation
click_in "$left" 311 # Copy all text
shot notation
eventually sh -c "xclip -selection clipboard -o -t text/plain | head -1 | grep -qx 'Author(s): W. A. Shinkman'" ||
  fail "text notation: $(xclip -selection clipboard -o -t text/plain | head -3)"
xclip -selection clipboard -o -t text/plain | grep -qx "White Ra7 Kg6" || fail "no white list"
has_target image/png && fail "a text copy kept the picture"

click_in $(( WIDTH - 58 )) 409 # Close
eventually sh -c "! xdotool search --onlyvisible --name '^Copy to Windows clipboard\$' >/dev/null" ||
  fail "Close did not hide the window"
echo "clipboard: passed"
