# Helpers for driving the real program under Xvfb with xdotool.
# Needs: VEXIL (the program), SHOTS (where screenshots go), WORK (a scratch folder).

fail() { echo "FAIL: $*" >&2; exit 1; }

start_display() {
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: the server would otherwise reset when its last client leaves, and refuse
    # the program that a test starts again right after.
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  fail "no X display could be started"
}

stop_all() {
  [ -n "${VEXIL_PID:-}" ] && kill "$VEXIL_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}

launch_vexil() {
  # The program keeps its settings under the test's own configuration folder.
  (cd "$WORK" && XDG_CONFIG_HOME="$WORK/config" exec "$VEXIL" "$@") >"$WORK/vexil.log" 2>&1 &
  VEXIL_PID=$!
}

# start_vexil FILE: starts the program on FILE in WORK and waits for its main window.
start_vexil() {
  launch_vexil "$@"
  local relaunched=""
  # A loaded machine can take a while to bring up the first window.
  for _ in $(seq 400); do
    if [ -z "$relaunched" ] && ! kill -0 "$VEXIL_PID" 2>/dev/null; then
      # It could not reach the display in time: one more try.
      relaunched=yes
      sleep 0.5
      launch_vexil "$@"
    fi
    WID=$(xdotool search --name '^Vexil$' 2>/dev/null | head -1 || true)
    [ -n "$WID" ] && break
    sleep 0.1
  done
  [ -n "$WID" ] || { cat "$WORK/vexil.log" >&2; fail "the main window did not appear"; }
  sleep 0.5
}

# click X Y: a real left click at window coordinates.
click() {
  xdotool mousemove --window "$WID" "$1" "$2" click 1
  sleep 0.3
}

shot() {
  import -window root "$SHOTS/$1.png"
}

wait_gone() {
  for _ in $(seq 50); do
    kill -0 "$VEXIL_PID" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# dialog TITLE: waits for a window of that title and gives it the keyboard.
dialog() {
  local id=""
  # Up to 20 s: a loaded machine can take that long to map a window.
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window \"$1\" appeared"
  sleep 0.3
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep 0.2
  DIALOG=$id
}

# authors FILE: the author of every item, one per line.
authors() {
  python3 - "$1" <<'PY'
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')[:-1]
assert len(lines) % 14 == 0, len(lines)
for k in range(1, len(lines) // 14):
    assert lines[14 * k] == b'Dg[%d]=new Array' % k, lines[14 * k]
    print(lines[14 * k + 9][2:-3].decode('cp1252'))
PY
}

# drag X1 Y1 X2 Y2: a real drag with the left button, in window coordinates.
drag() {
  xdotool mousemove --window "$WID" "$1" "$2"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  local steps=8 i
  for i in $(seq 1 $steps); do
    xdotool mousemove --window "$WID" $(( $1 + ($3 - $1) * i / steps )) $(( $2 + ($4 - $2) * i / steps ))
    sleep 0.05
  done
  sleep 0.2
  [ -n "${DRAG_SHOT:-}" ] && shot "$DRAG_SHOT"
  xdotool mouseup 1
  sleep 0.4
}

# board_rows FILE N: the eight board rows of item N, one per line.
board_rows() {
  python3 - "$1" "$2" <<'PY'
import sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
n = int(sys.argv[2])
for r in range(8):
    print(lines[14 * n + 1 + r].decode())
PY
}

# start_on_sample: a copy of the bundled sample in WORK, a display, and the program on it.
start_on_sample() {
  cp "$SOURCE_DIR/examples/sample.dgr" "$WORK/sample.dgr"
  start_display
  start_vexil sample.dgr
}

# eventually COMMAND...: retries COMMAND for up to 15 seconds; a loaded machine may take a
# moment to act on the events it was sent.
eventually() {
  for _ in $(seq 150); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  "$@"
}

# solver_settings FILE POPEYE MEMORY STOCKFISH: a settings file naming the solvers, with every
# other general value at its default.
solver_settings() {
  mkdir -p "$(dirname "$1")"
  cat >"$1" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Vexil\\General]
"DragDropOnlyCursor"=dword:00000000
"PrintCust"=dword:00000000
"CopyCust"=dword:00000000
"ViewCust"=dword:00000000
"LayoutCust"=dword:00000000
"PopeyeExe"="$2"
"PopeyeMem"="$3"
"SfExe"="$4"
"SfTime"="1"
"SfThreads"="1"
"SfHash"="32"
REG
}
