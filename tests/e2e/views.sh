#!/usr/bin/env bash
# The list window and the list of diagrams with real clicks and keys: choosing entries,
# Find / Next, Copy selected items through the real save dialog, the grid of diagrams with
# arrow keys, Enter, a double click and Escape; then both views on 100,000 items.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

VIEW_LIST="308 96"; DIAGRAMS="457 96"; DELETE="220 23"

# list_click X Y [KEYS]: a real click in the list window, with modifier keys held.
list_click() {
  xdotool mousemove --window "$LIST" "$1" "$2"
  sleep 0.2
  if [ -n "${3:-}" ]; then xdotool keydown "$3"; fi
  xdotool click 1
  if [ -n "${3:-}" ]; then xdotool keyup "$3"; fi
  sleep 0.5
}
# entry_y N: the middle of entry N, with the list scrolled to its top.
entry_y() { echo $(( 25 + 50 * ($1 - 1) )); }
open_list() {
  click $VIEW_LIST
  dialog List
  LIST=$DIALOG
  # Beside the main window, not over its buttons (there is no window manager to place it).
  xdotool windowmove "$LIST" 700 6
  sleep 0.3
}
# delete_shown: deletes the item shown with the main window's button; what is gone from the
# file tells which item was shown.
delete_shown() {
  xdotool windowactivate --sync "$WID" 2>/dev/null || true
  click $DELETE
  dialog Confirm
  xdotool key Return
  sleep 0.5
}
has_author() { authors "$1" | grep -qxF "$2"; }
lacks_author() { ! has_author "$1" "$2"; }
count_items() { [ "$(authors "$1" | wc -l)" = "$2" ]; }

start_on_sample
open_list
shot list-sample

# Entry 2, then entry 4 with Ctrl: both selected; copied twice into a new collection through
# the real save dialog, which does not ask about the existing file the second time.
list_click 120 "$(entry_y 2)"
list_click 120 "$(entry_y 4)" ctrl
shot two-selected
for round in 1 2; do
  list_click 176 "$(( 354 + 43 + 13 ))" # Copy selected items
  dialog 'Copy item\(s\) to collection'
  [ "$round" = 1 ] && shot save-dialog
  xdotool type --delay 20 "$WORK/copy.dgr"
  xdotool key Return
  sleep 0.8
  if xdotool search --onlyvisible --name '^Copy item\(s\) to collection$' >/dev/null 2>&1; then
    shot unexpected-question
    fail "the save dialog did not close (round $round)"
  fi
done
want="T. R. Dawson|A. H. Kniest|T. R. Dawson|A. H. Kniest|"
copied() { [ "$(authors "$WORK/copy.dgr" | tr '\n' '|')" = "$want" ]; }
eventually copied || fail "copied items: $(authors "$WORK/copy.dgr" | tr '\n' '|')"

# Find / Next: "mansfield" is item 5's author.
list_click 60 "$(( 354 + 20 ))" # the search box
xdotool type --delay 20 "mansfield"
list_click 190 "$(( 354 + 20 ))" # Find / Next
shot found-mansfield
delete_shown
eventually lacks_author "$WORK/sample.dgr" "C. Mansfield" || fail "Find / Next did not show item 5"
count_items "$WORK/sample.dgr" 8 || fail "delete took more than one item"

# The list of diagrams opens on the item shown (now item 5, Fabrice Zocco); Right and Enter
# show item 6 (N. A. Macleod).
click $DIAGRAMS
dialog "List of diagrams"
GRID=$DIALOG
sleep 0.5
shot diagrams-sample
xdotool key Right
sleep 0.3
shot diagrams-right
xdotool key Return
sleep 0.5
xdotool search --onlyvisible --name '^List of diagrams$' >/dev/null 2>&1 && fail "Enter did not close the list of diagrams"
delete_shown
eventually lacks_author "$WORK/sample.dgr" "N. A. Macleod" || fail "Enter in the list of diagrams did not show item 6"

# Escape shows nothing new: the item shown (now 6, Problem Society) is the one deleted next.
click $DIAGRAMS
dialog "List of diagrams"
xdotool key Left Left
sleep 0.3
xdotool key Escape
sleep 0.5
delete_shown
eventually lacks_author "$WORK/sample.dgr" "Problem Society" || fail "Escape changed the item shown"

# A double click on the first cell shows item 1.
click $DIAGRAMS
dialog "List of diagrams"
GRID=$DIALOG
xdotool mousemove --window "$GRID" 95 114 click --repeat 2 --delay 80 1
sleep 0.6
delete_shown
eventually lacks_author "$WORK/sample.dgr" "W. A. Shinkman" || fail "a double click did not show item 1"

# Enter in the list closes it.
open_list
list_click 120 "$(entry_y 2)"
xdotool key Return
sleep 0.5
xdotool search --onlyvisible --name '^List$' >/dev/null 2>&1 && fail "Enter did not close the list"
kill "$VEXIL_PID"; wait "$VEXIL_PID" 2>/dev/null || true

# 100,000 items; the last one's author is the only "Zyzzyva".
generator="$(dirname "$VEXIL")/bench/bench_collection"
[ -x "$generator" ] || fail "no collection generator at $generator"
"$generator" generate 100000 "$WORK/big.dgr" >/dev/null
python3 - "$WORK/big.dgr" <<'PY'
import sys
path = sys.argv[1]
data = open(path, 'rb').read().split(b'\r\n')
data[14 * 100000 + 9] = b"['Quintus Zyzzyva'],"
open(path, 'wb').write(b'\r\n'.join(data))
PY
start_vexil big.dgr
open_list
shot list-large
list_click 60 "$(( 354 + 20 ))"
xdotool type --delay 20 "zyzzyva"
list_click 190 "$(( 354 + 20 ))"
# The first press takes the collection's text: give a loaded machine a moment.
sleep 1.5
shot found-last
click $DIAGRAMS
dialog "List of diagrams"
sleep 0.8
shot diagrams-large-last
xdotool key ctrl+Home
sleep 0.5
shot diagrams-large-first
xdotool key Page_Down Page_Down
sleep 0.5
shot diagrams-large-scrolled
xdotool key Return
sleep 0.8
delete_shown
big_count() { [ "$(python3 -c "import sys; print(len(open(sys.argv[1],'rb').read().split(b'\r\n'))//14 - 1)" "$WORK/big.dgr")" = 99999 ]; }
eventually big_count || fail "the large collection did not lose one item"
has_author "$WORK/big.dgr" "Quintus Zyzzyva" || fail "the item found was deleted instead of the one chosen"
echo "views: passed"
