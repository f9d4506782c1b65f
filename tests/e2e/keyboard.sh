#!/usr/bin/env bash
# Enters a whole fairy problem from the keyboard alone: pieces typed on the board, the board's
# cursor, undo and redo, the fields reached with Tab; saves with Ctrl+S and checks the file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_display
start_vexil fairy.dgr
xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"
sleep 0.3

key() { xdotool key --delay 80 "$@"; sleep 0.2; }
typed() { xdotool type --delay 40 "$1"; sleep 0.2; }

# The go-to box, then back along the tab order to the board: the four navigation buttons, the
# palette and the nine transformation buttons lie between.
key ctrl+g
key $(printf 'shift+Tab %.0s' $(seq 15))
# The first letter opens the line for the pieces.
typed "wKa1 bKh8 nALd4 royal wQd1 bGc3, chameleon bNe5 w15b2 wXe2"
key Return
sleep 0.3
shot typed-error
# One word names no piece: it is marked, and placing the others alone is offered. Escape
# declines, nothing is placed; mend the word.
key Escape
sleep 0.3
# No window manager here gives the keyboard back to the main window when a box closes.
xdotool windowfocus --sync "$WID" 2>/dev/null || true
key BackSpace BackSpace BackSpace BackSpace BackSpace
key Return
sleep 0.3
# The board's cursor from a8 down to a1, where the king goes again.
key Down Down Down Down Down Down Down Delete
typed "wKb1"
key Return
key ctrl+z ctrl+y
shot board-done

# The fields: from the go-to box past Go, Search, "Is it new?", the two list buttons and the
# tabs to the author.
key ctrl+g Tab Tab Tab Tab Tab Tab Tab
typed "A. Keyboard"
key Tab
typed "original"
key Tab
typed "H#2"
key Tab
typed "Circe"
# Back to the tabs, over to "Solution", into its field.
key shift+Tab shift+Tab shift+Tab shift+Tab Right Right Tab
typed "1.Qd1-d2 Kb1-c1 2.Qd2-c2 Kc1-b1"
sleep 0.3
shot fields-done
key ctrl+s
sleep 0.5
shot saved

check_file() {
python3 - "$WORK/fairy.dgr" <<'PY'
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
assert len(lines) == 29 and lines[28] == b'', len(lines)
want = [
    b"Dg[1]=new Array",
    b"([0,0,0,0,0,0,0,12],",
    b"[0,0,0,0,0,0,0,0],",
    b"[0,0,0,0,0,0,0,0],",
    b"[0,0,0,0,106218,0,0,0],",
    b"[0,0,0,719,0,0,0,0],",
    b"[0,0,14,0,0,0,0,0],",
    b"[0,117,0,0,0,0,0,0],",
    b"[0,11,0,507317,0,0,0,0],",
    b"['A. Keyboard'],",
    b"['original'],",
    b"['1.Qd1-d2 Kb1-c1 2.Qd2-c2 Kc1-b1'],",
    b"['H#2 Circe']);",
    b"",
]
assert lines[14:28] == want, lines[14:28]
PY
}
eventually check_file || { check_file || true; fail "the file does not hold the problem typed"; }
echo "keyboard: passed"
