#!/usr/bin/env bash
# Publishes the sample from the real "Publish" dialog: the whole collection as a PDF booklet
# (its pages rendered with pdftoppm) and the item shown as SVG (rendered with rsvg-convert).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap stop_all EXIT
command -v rsvg-convert >/dev/null || fail "rsvg-convert (librsvg2-bin) is not installed"

start_on_sample
# The toolbar's last button.
click 555 22
dialog Publish
shot dialog
# A loaded machine takes a moment for each key.
key() { xdotool key "$@"; sleep 0.5; }
key alt+w          # whole collection
key alt+f
key Down           # the PDF booklet
key alt+n
key ctrl+a
xdotool type --delay 20 "$WORK/booklet"
sleep 0.2
shot filled
xdotool key alt+p
eventually test -s "$WORK/booklet.pdf"
shot published
pages=$(pdfinfo "$WORK/booklet.pdf" | awk '/^Pages:/ {print $2}')
[ "$pages" -ge 3 ] || fail "the booklet has $pages pages"
pdftoppm -r 60 -png "$WORK/booklet.pdf" "$SHOTS/booklet"
# Compatibility forms undo the ligatures ("fi") the text is extracted with.
text=$(pdftotext "$WORK/booklet.pdf" - |
  python3 -c 'import sys, unicodedata; print(unicodedata.normalize("NFKC", sys.stdin.read()))')
while IFS= read -r author; do
  [ -z "$author" ] || grep -qF "$author" <<<"$text" || fail "the booklet lacks \"$author\""
done < <(authors "$WORK/sample.dgr" | cut -d';' -f1)
grep -q "Solutions" <<<"$text" || fail "no solutions at the end"

# The SVG of the item shown: the name follows the format.
key alt+f
key Down
key alt+p
eventually test -s "$WORK/booklet.svg"
rsvg-convert -w 436 -h 436 "$WORK/booklet.svg" -o "$SHOTS/diagram.png"
# Rendered without any font: a8 white, b8 silver, the frame black.
python3 - "$SHOTS/diagram.png" <<'PY' || fail "the SVG does not render as a diagram"
import subprocess, sys
def pixel(x, y):
    fmt = '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]'
    out = subprocess.run(['convert', sys.argv[1], '-crop', f'1x1+{x}+{y}', '-format', fmt, 'info:'],
                         capture_output=True, text=True).stdout
    return tuple(int(v) for v in out.strip().split(','))
assert pixel(0, 0) == (0, 0, 0), pixel(0, 0)
assert pixel(6, 6) == (255, 255, 255), pixel(6, 6)
assert pixel(60, 6) == (192, 192, 192), pixel(60, 6)
PY
xdotool key Escape
echo "publish: ok"
