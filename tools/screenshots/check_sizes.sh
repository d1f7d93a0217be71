#!/bin/sh
# Renders the desktop pictures afresh into a scratch folder, as render.sh does, and compares each
# one's size with the committed picture's: a picture that no longer has its window's opening size
# (a page or a catalogue text changed, the picture not made again) fails. The renderer itself refuses
# a picture whose window is not at the size it opened at. Usage: check_sizes.sh RENDERER PICTURES
set -eu
renderer=$1
pictures=$2
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "skipped: the pictures are made on an X server (xvfb-run, Debian's xvfb), and there is none"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# On an X server Qt talks to the session bus, and libdbus keeps a buffer to the end of the process:
# not ours, and it would fail a sanitizer build's leak check.
printf 'leak:libdbus-1.so\n' >"$scratch/leaks.supp"
LSAN_OPTIONS="suppressions=$scratch/leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
QOR_DEBUG_LOG=0 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$renderer" --screenshots "$scratch"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
status=0
for made in "$scratch"/*.png; do
  name=$(basename "$made")
  if [ ! -f "$pictures/$name" ]; then
    echo "$name: not among the committed pictures"
    status=1
  elif [ "$(size "$made")" != "$(size "$pictures/$name")" ]; then
    echo "$name: the window opens at $(size "$made"), the picture is $(size "$pictures/$name"): run tools/screenshots/render.sh"
    status=1
  fi
done
exit $status
