#!/usr/bin/env bash
# Prints the first sample item through the real print dialog and checks the page with
# poppler-utils: to a PDF file by default; with PRINT_VIA=cups through a CUPS queue of
# cups-pdf on a cupsd of the test's own (skipped, exit 77, where cupsd cannot run).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

CUPSD_PID=""
CUPS_DIR=""
stop_print() {
  # cupsd first: stop_all waits for every child of the script.
  [ -n "$CUPSD_PID" ] && kill "$CUPSD_PID" 2>/dev/null || true
  stop_all
  [ -z "$CUPS_DIR" ] || rm -rf "$CUPS_DIR"
}
trap stop_print EXIT

# A cupsd listening only on a socket in WORK, with one cups-pdf queue as its default.
start_cupsd() {
  command -v cupsd >/dev/null && [ -x /usr/lib/cups/backend/cups-pdf ] ||
    { echo "SKIP: cups or printer-driver-cups-pdf is not installed"; exit 77; }
  # cups-pdf runs its backend as root only; a cupsd of an ordinary user cannot use it.
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: the cups-pdf backend needs cupsd to run as root"; exit 77; }
  # The filters and the backend run as lp: the server's folders must be reachable for that
  # user whatever the permissions of the folder the tests run in (a clone in a private
  # temporary folder, say).
  CUPS_DIR=$(mktemp -d /tmp/vexil-cups.XXXXXX)
  chmod 755 "$CUPS_DIR"
  local d="$CUPS_DIR"
  ln -sfn "$d" "$WORK/cups"
  mkdir -p "$d"/{cache,spool,state,tmp,log}
  chmod 1777 "$d/tmp"
  cat >"$d/cupsd.conf" <<CONF
Listen $d/cups.sock
LogLevel debug
WebInterface No
Browsing No
PreserveJobFiles Yes
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$d/cups-files.conf" <<CONF
ServerRoot $d
CacheDir $d/cache
StateDir $d/state
RequestRoot $d/spool
TempDir $d/tmp
ErrorLog $d/log/error_log
AccessLog $d/log/access_log
PageLog $d/log/page_log
Printcap $d/printcap
DataDir /usr/share/cups
ServerBin /usr/lib/cups
DocumentRoot /usr/share/cups/doc-root
Sandboxing Relaxed
User lp
Group lp
SystemGroup root
CONF
  cupsd -f -c "$d/cupsd.conf" -s "$d/cups-files.conf" >"$d/log/cupsd.out" 2>&1 &
  CUPSD_PID=$!
  export CUPS_SERVER="$d/cups.sock"
  for _ in $(seq 50); do
    lpstat -r >/dev/null 2>&1 && break
    kill -0 "$CUPSD_PID" 2>/dev/null ||
      { cat "$d/log/cupsd.out" >&2; echo "SKIP: cupsd could not start here"; exit 77; }
    sleep 0.1
  done
  lpstat -r >/dev/null 2>&1 || { echo "SKIP: cupsd does not answer"; exit 77; }
  lpadmin -p VexilPDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
  lpadmin -d VexilPDF
}

# cups-pdf writes into the PDF folder of the job's owner (from the user database, whatever
# HOME says), named after the document and the job: the file of this run is the newest one of
# job 1 written after the mark.
cups_output() {
  local home
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  find "$home/PDF" -maxdepth 1 -name 'Vexil*-job_1.pdf' -newer "$WORK/mark" 2>/dev/null | head -1
}

if [ "${PRINT_VIA:-file}" = cups ]; then
  start_cupsd
  touch "$WORK/mark"
else
  # No print server at all: the dialog offers printing to a PDF file.
  export CUPS_SERVER="$WORK/no-cups.sock"
fi
# The print dialog proposes a file in the home folder, named after the document.
export HOME="$WORK"
start_on_sample

click 364 23 # Print
dialog Print
shot dialog
xdotool key Return
# The closing message is captioned like the main window: it is the second window of the name.
vexil_windows() { xdotool search --onlyvisible --name '^Vexil$' 2>/dev/null | wc -l; }
message_shown() { [ "$(vexil_windows)" -ge 2 ]; }
message_gone() { [ "$(vexil_windows)" -eq 1 ]; }
eventually message_shown || { shot no-message; fail "no message after printing"; }
dialog Vexil
shot complete
xdotool key Return
eventually message_gone || fail "the message did not close"

if [ "${PRINT_VIA:-file}" = cups ]; then
  job_done() { lpstat -W completed -o VexilPDF | grep -q '^VexilPDF-1 '; }
  eventually job_done || { tail -30 "$WORK/cups/log/error_log" >&2; fail "the job did not complete"; }
  pdf=$(cups_output)
  [ -s "$pdf" ] || fail "cups-pdf wrote no file for the job"
  mv "$pdf" "$WORK/printed.pdf"
  # cups-pdf makes its file through PostScript, which keeps the look but not the text: the
  # texts are read from the document as the queue received it.
  cp "$WORK/cups/spool/d00001-001" "$WORK/sent.pdf"
else
  eventually test -s "$WORK/Vexil.pdf" || fail "no PDF was written: $(ls "$WORK")"
  cp "$WORK/Vexil.pdf" "$WORK/printed.pdf"
  cp "$WORK/Vexil.pdf" "$WORK/sent.pdf"
fi
pdf="$WORK/printed.pdf"

pdfinfo "$pdf" >"$WORK/pdfinfo.txt"
grep -Eq '^Pages: +1$' "$WORK/pdfinfo.txt" || fail "not one page: $(cat "$WORK/pdfinfo.txt")"

# The texts in the order they are written.
pdftotext -raw "$WORK/sent.pdf" "$WORK/page.txt"
python3 - "$WORK/page.txt" <<'PY' || fail "texts out of order: $(cat "$WORK/page.txt")"
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
wanted = [r"W\. A\. Shinkman", r"American Chess Bulletin", r"Solution:", r"1\.Ra7-b7! zz",
          r"1\.\.\.Kh8-g8 2\.Rb7-b8#", r"#2 +\( 2 \+ 1 \)"]
at = 0
for w in wanted:
    m = re.compile(w).search(text, at)
    if not m:
        sys.exit("missing after %d: %s" % (at, w))
    at = m.end()
PY

# The page as a picture: the diagram's frame, its squares and the text column beside it.
# At 144 dpi: the diagram is drawn as paths, and its frame, 1/219 of the diagram, is less
# than a pixel wide at 72 dpi.
pdftoppm -r 144 -singlefile "$pdf" "$WORK/page" 2>/dev/null
pdftoppm -r 72 -png -singlefile "$pdf" "$SHOTS/page" 2>/dev/null
pdftotext -bbox "$WORK/sent.pdf" "$WORK/words.html"
python3 - "$WORK/page.ppm" "$WORK/words.html" <<'PY' || fail "the printed diagram is not where the layout puts it"
import re, sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
assert parts[0] == b"P6", parts[0]
w, h, pixels = int(parts[1]), int(parts[2]), parts[4]
def px(x, y):
    i = 3 * (y * w + x)
    return tuple(pixels[i:i + 3])
dark = lambda p: sum(p) < 150
def run(y):  # the longest run of dark pixels in row y
    best, start, length = (0, 0), 0, 0
    for x in range(w):
        if dark(px(x, y)):
            if length == 0:
                start = x
            length += 1
            if length > best[1]:
                best = (start, length)
        else:
            length = 0
    return best
top = next(y for y in range(h) if run(y)[1] > 60)
left, side = run(top)
bottom = top
while bottom + 1 < h and dark(px(left, bottom + 1)):
    bottom += 1
assert abs((bottom - top + 1) - side) <= 2, ("not square", side, bottom - top + 1)
sq = side / 8
def square(col, row):
    p = px(int(left + (col + 0.5) * sq), int(top + (row + 0.5) * sq))
    return p
near = lambda p, v: all(abs(c - v) <= 8 for c in p)
for col, row, colour in [(0, 0, 255), (1, 0, 192), (0, 7, 192), (7, 7, 255), (3, 4, 192), (4, 4, 255)]:
    p = square(col, row)
    assert near(p, colour), ("square", col, row, p)
# In points from here, as pdftotext gives the words' places.
left, top, side = left / 2, top / 2, side / 2
# The author starts 366 units right of the diagram's left edge, a diagram being 219 units.
words = re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)<', open(sys.argv[2]).read())
first = next((float(x), float(y)) for x, y, t in words if t == "W.")
unit = side / 219
assert abs(first[0] - (left + 366 * unit)) <= 2 * unit + 2, ("author x", first, left, unit)
assert abs(first[1] - top) <= 4 * unit + 3, ("author y", first, top)
stip = next((float(x), float(y)) for x, y, t in words if t == "#2")
assert abs(stip[0] - left) <= 3 and abs(stip[1] - (top + 230 * unit)) <= 4 * unit + 3, ("stipulation", stip)
print("diagram at", left, top, "side", side)
PY
echo "print (${PRINT_VIA:-file}): passed"
