#!/usr/bin/env bash
# Walks the sample with the navigation buttons, deletes an item and moves one to the front,
# and checks the file after each change.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_on_sample

FIRST="253 66"; PREVIOUS="284 66"; NEXT="315 66"; LAST="346 66"
DELETE="220 23"; CHANGE="268 23"

click $NEXT; click $NEXT; click $NEXT; click $PREVIOUS # item 3
shot item3
click $DELETE
dialog Confirm
shot delete-question
xdotool key Return
sleep 0.5
shot deleted
authors_are() { [ "$(authors "$WORK/sample.dgr" | tr '\n' '|')" = "$1" ]; }
want="W. A. Shinkman|T. R. Dawson|A. H. Kniest|C. Mansfield|Fabrice Zocco|N. A. Macleod|Problem Society||"
eventually authors_are "$want" || fail "after Delete: $(authors "$WORK/sample.dgr" | tr '\n' '|')"

click $FIRST; click $LAST; click $PREVIOUS # item 7, Problem Society
click $CHANGE
dialog "Change number of item"
xdotool type --delay 50 "1"
shot change-question
xdotool key Return
sleep 0.5
shot moved
want="Problem Society|W. A. Shinkman|T. R. Dawson|A. H. Kniest|C. Mansfield|Fabrice Zocco|N. A. Macleod||"
eventually authors_are "$want" || fail "after Change number: $(authors "$WORK/sample.dgr" | tr '\n' '|')"
echo "navigate: passed"
