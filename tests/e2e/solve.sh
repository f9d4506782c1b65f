#!/usr/bin/env bash
# The solve window with real programs: Debian's Stockfish analyses the item shown, and a
# stand-in for Popeye (tests/solve/fake-popeye) shows the mechanics of a Popeye run. Both
# runs are watched, viewed and stopped; a run still going when Vexil ends goes with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

STOCKFISH=/usr/games/stockfish
FAKE_POPEYE="$SOURCE_DIR/tests/solve/fake-popeye"
[ -x "$STOCKFISH" ] || fail "no $STOCKFISH (scripts/setup.sh --test installs it)"

# A copy of the program in a folder of its own: the solver files go beside it.
mkdir -p "$WORK/bin"
cp "$VEXIL" "$WORK/bin/vexil"
VEXIL="$WORK/bin/vexil"
FOLDER="$WORK/bin/"

solver_settings "$WORK/config/Vexil/settings.reg" "$FAKE_POPEYE" 16M "$STOCKFISH"

# The stand-in writes one protocol line a second.
export FAKE_POPEYE_DELAY=0.6
start_on_sample

click 507 23 # Solve, on the toolbar
dialog "Solve interface"
SID=$DIALOG
solve_shot() { import -window "$SID" "$SHOTS/$1.png"; }
# solve_click X Y: a click inside the solve window.
solve_click() {
  xdotool mousemove --window "$SID" "$1" "$2" click 1
  sleep 0.4
}
key() {
  xdotool key --window "$SID" "$1"
  sleep 0.4
}
# running NAME: the process id of a running program whose command line holds NAME.
running() { pgrep -f -- "$1" || true; }
is_running() { [ -n "$(running "$1")" ]; }
# dead PID: the process has ended (a zombie no one reaps has ended too).
dead() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
is_gone() { [ -z "$(running "$1")" ]; }

# --- Popeye ---
key alt+i # Copy item
solve_shot popeye-copied
key alt+o # Solve
eventually test -f "${FOLDER}py.in" || fail "no py.in in $FOLDER"
python3 - "${FOLDER}py.in" "$FOLDER" <<'PY' || fail "py.in is not the item's Popeye text"
import sys
data = open(sys.argv[1], 'rb').read()
assert data.endswith(b'\r\n') and b'\n' not in data.replace(b'\r\n', b''), data
lines = data.decode('cp1252').split('\r\n')[:-1]
assert lines[0] == 'BeginProblem' and lines[-1] == 'EndProblem', lines
assert 'Author W. A. Shinkman' in lines, lines
assert 'Protocol ' + sys.argv[2] + 'py.txt' in lines, lines
assert 'White Ra7 Kg6' in lines and 'Black Kh8' in lines, lines
PY
[ -n "$(running "$FAKE_POPEYE")" ] || fail "the Popeye stand-in is not running"
sleep 2
solve_shot popeye-running
# The stand-in ends with a non-zero code on any argument or input it does not expect.
protocol_done() { grep -q "solution finished" "${FOLDER}py.txt"; }
eventually protocol_done || fail "the protocol was not written"
eventually is_gone "$FAKE_POPEYE" || fail "the stand-in did not end"
head -1 "${FOLDER}py.txt" | grep -q "(16M)" || fail "the memory setting was not passed"
sleep 1.2
solve_shot popeye-finished
solve_click 250 422 # View solution
solve_shot popeye-viewed

# Stop ends a run that is going. The pane shows the solution now: the item goes in again.
key alt+i # Copy item
sleep 0.3
key alt+o
eventually is_running "$FAKE_POPEYE" || fail "the second run did not start"
pid=$(running "$FAKE_POPEYE")
key alt+p # Stop
eventually dead "$pid" || fail "Stop did not end the Popeye run"
solve_shot popeye-stopped

# --- Stockfish ---
solve_click 115 395 # the "Stockfish" tab
# Copy item: the item's position, and a second one typed by hand, which keeps the engine busy
# for its minute.
stockfish_text() {
  key alt+i
  xdotool mousemove --window "$SID" 200 100 click 1
  key ctrl+End
  key Return
  xdotool type --delay 20 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"
  sleep 0.3
}
stockfish_text
solve_shot stockfish-copied
key alt+o # Solve
eventually test -f "${FOLDER}ibench.txt" || fail "no ibench.txt"
printf '7k/R7/6K1/8/8/8/8/8 w - -\r\nrnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\r\n' |
  cmp -s - "${FOLDER}ibench.txt" || fail "ibench.txt: $(cat -A "${FOLDER}ibench.txt")"
analysing() { grep -q "^info depth" "${FOLDER}bench.txt"; }
eventually analysing || fail "bench.txt holds no analysis: $(head -5 "${FOLDER}bench.txt" 2>&1)"
engine=$(running "$STOCKFISH bench")
[ -n "$engine" ] || fail "Stockfish is not running"
sleep 3
key alt+v # View solution
solve_shot stockfish-running
key alt+p # Stop
eventually dead "$engine" || fail "Stop did not end Stockfish"
sleep 0.5
solve_shot stockfish-stopped
key alt+v
solve_shot stockfish-viewed

# A run still going when Vexil ends goes with it.
stockfish_text
key alt+o
eventually is_running "$STOCKFISH bench" || fail "Stockfish did not start again"
engine=$(running "$STOCKFISH bench")
kill "$VEXIL_PID"
wait_gone || fail "Vexil did not end"
eventually dead "$engine" || fail "Stockfish outlived Vexil"
echo "solve: passed"
