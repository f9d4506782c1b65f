#!/usr/bin/env bash
# Verify collection from the solve window, with the Popeye stand-in answering from recorded
# runs: every item of the sample gets a row, and the results file is written beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

solver_settings "$WORK/config/Vexil/settings.reg" "$SOURCE_DIR/tests/verify/fake-popeye" 16M ""
export VEXIL_FAKE_DELAY=0.3
start_on_sample

click 507 23 # Solve, on the toolbar
dialog "Solve interface"
xdotool key --window "$DIALOG" alt+l # Verify collection…
sleep 0.5
dialog "Verify collection"
VID=$DIALOG
import -window "$VID" "$SHOTS/before.png"
xdotool key --window "$VID" alt+v # Verify
sleep 1
import -window "$VID" "$SHOTS/running.png"

results="$WORK/sample.dgr.verify"
done_all() {
  [ -s "$results" ] &&
    /usr/bin/python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); sys.exit(0 if len(d["items"]) >= 9 else 1)' "$results"
}
for _ in $(seq 120); do done_all && break; sleep 0.5; done
done_all || fail "the results file does not hold the 9 items: $(head -c 400 "$results" 2>/dev/null)"
sleep 0.5
import -window "$VID" "$SHOTS/results.png"
echo "verify: 9 items verified"
