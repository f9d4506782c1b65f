#!/usr/bin/env bash
# The search window on a collection of 1,000,000 generated items: Ctrl+F, a query typed and
# run, the results shown; the first found item copied into a new collection through the real
# save dialog, which tells that the results were there to be used.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap 'stop_all; rm -f "$WORK/million.dgr"' EXIT

generator="$(dirname "$VEXIL")/bench/bench_search"
[ -x "$generator" ] || fail "no collection generator at $generator"
if [ -n "${SEARCH_COLLECTION:-}" ]; then
  cp "$SEARCH_COLLECTION" "$WORK/million.dgr" # one generated before, by the same generator
else
  "$generator" generate "${SEARCH_ITEMS:-1000000}" "$WORK/million.dgr"
fi
# Author lines are the only lines that hold the author between the text brackets.
expected=$(grep -c -F "['W. A. Shinkman']," "$WORK/million.dgr")
[ "$expected" -gt 0 ] || fail "the generated collection has no item by W. A. Shinkman"

start_display
start_vexil million.dgr
# Opening 500 MB takes a moment: Ctrl+F until the window comes.
for _ in $(seq 60); do
  xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID" 2>/dev/null || true
  xdotool key --delay 80 ctrl+f
  sleep 1
  xdotool search --onlyvisible --name '^Search$' >/dev/null 2>&1 && break
done
dialog Search
SEARCH=$DIALOG
# Beside the main window (there is no window manager to place it).
xdotool windowmove "$SEARCH" 560 0
xdotool windowsize "$SEARCH" 560 620
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "A='W. A. Shinkman' AND Y>=1990 OR MATRIX('wSa1 bBb3', all)"
xdotool key Return
# The search reads 500 MB; the results come in while it runs.
sleep 8
shot search-results

# The first result is current; Alt+E goes to the results, Tab to "Copy selected items".
xdotool key alt+e
sleep 0.3
xdotool key Tab
sleep 0.3
xdotool key space
dialog 'Copy item\(s\) to collection'
xdotool type --delay 20 "$WORK/found.dgr"
xdotool key Return
eventually test -s "$WORK/found.dgr" || fail "the found item was not copied"
count=$(authors "$WORK/found.dgr" | wc -l)
[ "$count" = 1 ] || fail "$count items copied, 1 expected"
first=$(authors "$WORK/found.dgr")
[ "$first" = "W. A. Shinkman" ] || echo "first found item is by $first (a MATRIX match)"

# A query that does not parse names the place and searches nothing.
xdotool windowactivate --sync "$SEARCH" 2>/dev/null || xdotool windowfocus --sync "$SEARCH" 2>/dev/null || true
sleep 0.3
xdotool key --delay 80 alt+q
xdotool type --delay 20 "Y>=1990 AND ("
xdotool key Return
sleep 1
shot search-error
xdotool windowmove "$SEARCH" 700 0
sleep 0.5
shot main-window
echo "ok: $expected items by W. A. Shinkman in the collection"
