#!/usr/bin/env bash
# Starts the program on an Olive/YACPDB file with a fairy item: the real save dialog names the
# new collection, the import report comes up, the item shows with its fairy pieces; then the
# toolbar's Copy writes it back to another .olv file, which holds the same board.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

COPY="316 23"

cat >"$WORK/fairy.olv" <<'OLV'
---
authors:
  - "Loyd, Samuel"
source:
  name: Interchange Test
stipulation: "#2"
algebraic:
  white: [Ke1, Qd1, CAc3, Gf4]
  black: [Ke8, Gh3]
  neutral: [Sb5]
keywords:
  - Rundlauf
OLV

start_display
start_vexil fairy.olv
dialog "Save as Vexil-DGR file"
shot save-dialog
xdotool type --delay 20 "$WORK/imported.dgr"
xdotool key Return
dialog "Import report"
shot import-report
xdotool key Return
sleep 0.8
xdotool search --onlyvisible --name '^Import report$' >/dev/null 2>&1 && fail "the report stayed open"
shot imported
[ "$(authors "$WORK/imported.dgr")" = "Loyd, Samuel" ] || fail "imported: $(authors "$WORK/imported.dgr")"

xdotool windowactivate --sync "$WID" 2>/dev/null || true
click $COPY
dialog 'Copy item\(s\) to collection'
shot copy-dialog
xdotool type --delay 20 "$WORK/back.olv"
xdotool key Return
sleep 0.8
if xdotool search --onlyvisible --name '^Copy item\(s\) to collection$' >/dev/null 2>&1; then
  shot unexpected-question
  fail "the save dialog did not close"
fi
written_back() {
  python3 - "$WORK/back.olv" <<'PY'
import sys, yaml
entries = [e for e in yaml.safe_load_all(open(sys.argv[1], encoding='utf-8')) if e]
assert len(entries) == 1, entries
a = entries[0]['algebraic']
assert sorted(p.upper() for p in a['white']) == ['CAC3', 'GF4', 'KE1', 'QD1'], a
assert sorted(a['black']) == ['Gh3', 'Ke8'], a
assert a['neutral'] == ['Sb5'], a
assert entries[0]['authors'] == ['Loyd, Samuel'], entries[0]
PY
}
eventually written_back || fail "back.olv: $(cat "$WORK/back.olv" 2>/dev/null)"
echo "interchange: passed"
