#!/usr/bin/env bash
# Replays a stored solution on the board by clicking one of its moves and stepping with the
# keyboard, shows a twin from the twin buttons, and checks that the collection file was never
# touched. The screenshots are looked at by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_on_sample
before=$(sha1sum <"$WORK/sample.dgr")

SOLUTION_TAB="350 402"
click $SOLUTION_TAB
shot solution-tab
# Line 2 of the first item's solution, "1...Kh8-g8 2.Rb7-b8#": a click on its second move.
click 330 142
shot replayed
xdotool key alt+Left
sleep 0.4
shot stepped-back
xdotool key Escape
sleep 0.4
shot escaped

# Item 6 has a twin (Rotate 90): its button "b)" beside the board.
click 315 66; click 315 66; click 315 66; click 315 66; click 315 66
click 43 388
shot twin

[ "$(sha1sum <"$WORK/sample.dgr")" = "$before" ] || fail "the collection file changed"
echo "replay: passed"
