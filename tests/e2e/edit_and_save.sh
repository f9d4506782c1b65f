#!/usr/bin/env bash
# Starts Vexil on a copy of the sample, types a new author, saves, and checks the file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT

start_on_sample
shot start

# The author field of the Item tab; select its text and type over it.
click 330 150
xdotool key --window "$WID" ctrl+a
xdotool type --delay 30 "Sam Loyd's pupil"
sleep 0.3
shot typed

click 75 23 # Save
sleep 0.5
shot saved

check_file() {
python3 - "$WORK/sample.dgr" "$SOURCE_DIR/examples/sample.dgr" <<'PY'
import sys
new = open(sys.argv[1], 'rb').read()
old = open(sys.argv[2], 'rb').read()
lines = new.split(b'\r\n')
assert lines[14 + 9] == b"['Sam Loyd`s pupil'],", lines[14 + 9]
old_lines = old.split(b'\r\n')
# Only the author line of item 1 and its stipulation line's blank may differ.
changed = [i for i, (a, b) in enumerate(zip(lines, old_lines)) if a != b]
assert changed == [23], changed
assert len(lines) == len(old_lines)
assert new.endswith(b"\r\n\r\n")
PY
}
eventually check_file || fail "the file does not hold the new author"
echo "edit_and_save: passed"
