#!/usr/bin/env bash
# "Is it new?" from the main window's button on a collection that holds item 1 a second time,
# mirrored, then "Find duplicates" from that window and its CSV through the real save dialog.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

IS_NEW="596 66"

cp "$SOURCE_DIR/examples/sample.dgr" "$WORK/sample.dgr"
# Item 1 once more at the end, its files a and h exchanged, by another author.
python3 - "$WORK/sample.dgr" <<'PY'
import sys
path = sys.argv[1]
lines = open(path, 'rb').read().split(b'\r\n')[:-1]
n = len(lines) // 14
block = lines[14:28]
rows = []
for r in range(8):
    line = block[1 + r]
    start, end = line.index(b'[') + 1, line.index(b']')
    values = line[start:end].split(b',')[::-1]
    rows.append(line[:start] + b','.join(values) + line[end:])
block = [b'Dg[%d]=new Array' % n] + rows + [b"['Mirror Copy'],"] + block[10:]
open(path, 'wb').write(b'\r\n'.join(lines + block) + b'\r\n')
PY
count=$(( $(python3 -c "import sys; print(len(open(sys.argv[1],'rb').read().split(b'\r\n')) // 14)" "$WORK/sample.dgr") - 1 ))

start_display
start_vexil sample.dgr
shot main-window
click $IS_NEW
dialog 'Is it new\?'
NEW=$DIALOG
xdotool windowmove "$NEW" 540 0
sleep 0.5
shot is-it-new

xdotool key --window "$NEW" alt+f # Find duplicates…
dialog 'Find duplicates'
FIND=$DIALOG
xdotool windowmove "$FIND" 440 470
sleep 0.5
shot find-duplicates
xdotool key --window "$FIND" alt+x # Export CSV…
dialog 'Export CSV'
xdotool type --delay 20 "$WORK/groups.csv"
xdotool key Return
exported() { grep -q "Mirror Copy" "$WORK/groups.csv"; }
eventually exported || { shot export-failed; fail "no CSV with the mirrored copy"; }
grep -q "^1,first,.*sample.dgr,1," "$WORK/groups.csv" || fail "item 1 does not head group 1: $(cat "$WORK/groups.csv")"
grep -q "^1,same after a symmetry,.*sample.dgr,$count,Mirror Copy,.*,mirrored" "$WORK/groups.csv" \
  || fail "the mirrored copy is not in group 1: $(cat "$WORK/groups.csv")"
echo "duplicates: ok"
