#!/usr/bin/env bash
# Edits a diagram with the real mouse: drags from the palette and on the board, a right
# click, a fairy piece through its dialog, a rotation; saves and checks the board rows.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_on_sample

# Square centres: the board's client area starts at (8, 56) in the window, cells of 27.
sq() { echo $(( 8 + $2 * 27 + 13 )) $(( 56 + $1 * 27 + 13 )); }
# Palette entries: two to a column from (7, 309), 26 pixels each.
entry() { echo $(( 7 + ($1 / 2) * 26 + 13 )) $(( 309 + ($1 % 2) * 26 + 13 )); }

DRAG_SHOT=dragging-knight drag $(entry 4) $(sq 4 4)      # white knight to e4
shot knight-dropped
DRAG_SHOT=dragging-rook drag $(sq 1 0) $(sq 7 0)         # rook a7 to a1
# While it was dragged over a1, a dark square, the rook's picture let the square show
# around the figure: a corner of the picture has the dark square's colour, not white.
eval "$(xdotool getwindowgeometry --shell "$WID")"
corner=$(convert "$SHOTS/dragging-rook.png" -crop "1x1+$(( X + 8 + 2 ))+$(( Y + 56 + 7 * 27 + 2 ))" \
  -format '%[fx:int(255*r)]' info:)
[ "$corner" -lt 200 ] || fail "the dragged piece hides the dark square under it ($corner)"
xdotool mousemove --window "$WID" $(sq 0 7) click 3      # the black king on h8 goes
sleep 0.3

# The white fairy piece sits in the ninth column: scroll the palette one column.
click 209 368
shot palette-scrolled
drag $(( 7 + 7 * 26 + 13 )) $(( 309 + 13 )) $(sq 5 2)    # to c3
dialog "Fairy pieces"
shot fairy-dialog
xdotool key Tab
sleep 0.2
xdotool type --delay 100 "z"
sleep 0.3
shot fairy-kind
xdotool key Return
sleep 0.5
shot fairy-placed

click 118 291 # rotation
shot rotated
click 75 23 # Save
sleep 0.5
shot saved

rows_are() { [ "$(board_rows "$WORK/sample.dgr" 1 | tr '\n' '|')" = "$1" ]; }
want="([3,0,0,0,0,0,0,0],|[0,0,0,0,0,0,0,0],|[0,0,9617,0,0,0,0,0],|[0,0,0,0,0,0,0,0],|[0,0,0,5,0,0,0,0],|[0,0,0,0,0,0,0,0],|[0,0,0,0,0,11,0,0],|[0,0,0,0,0,0,0,0],|"
eventually rows_are "$want" || fail "board rows: $(board_rows "$WORK/sample.dgr" 1 | tr '\n' '|')"
echo "board_editing: passed"
