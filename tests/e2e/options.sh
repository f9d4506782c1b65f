#!/usr/bin/env bash
# Opens the options window from the toolbar, picks the wood colours, confirms, restarts the
# program and checks the board's colours in a screenshot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_on_sample

# colour_at X Y: the colour of a screen pixel of the main window, as "r,g,b".
colour_at() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  import -window root -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- | tail -1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# a1 is dark, a2 light: the board starts at (6, 54) inside its 2-pixel frame.
[ "$(colour_at 20 252)" = "128,128,128" ] || fail "dark squares before: $(colour_at 20 252)"

click 412 23 # Options
dialog Options
shot options
xdotool key ctrl+Tab
sleep 0.3
xdotool key alt+w
sleep 0.3
shot wood-chosen
xdotool key Return
sleep 0.5
shot after-ok
colour_is() { [ "$(colour_at "$1" "$2")" = "$3" ]; }
eventually colour_is 20 252 "197,171,122" || fail "dark squares after OK: $(colour_at 20 252)"
eventually test -f "$WORK/config/Vexil/settings.reg" || fail "no settings were stored"

kill "$VEXIL_PID"; wait "$VEXIL_PID" 2>/dev/null || true
start_vexil sample.dgr
shot restarted
eventually colour_is 20 252 "197,171,122" || fail "dark squares after restart: $(colour_at 20 252)"
eventually colour_is 20 225 "224,223,169" || fail "light squares after restart: $(colour_at 20 225)"
echo "options: passed"
