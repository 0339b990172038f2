#!/bin/sh
# Runs the desktop program twice as a user would, through the real pickers and message boxes,
# with keys sent to the X server:
#   1. Esc with nothing merged ends the program at once with exit code 0.
#   2. A full run: the main window at 0,0, 600 x 480, with its title and ground colour; one
#      stops and one routes shapefile added through the pickers (Tab order: lists, "Aggiungi
#      RT_NODI", "Aggiungi RT_ITIN", "Fine"); a screenshot of the window with the dialog over
#      it; "Fine", an output folder, the two count boxes; exit code 0 and every output written.
#   program_live.sh PROGRAM SAMPLE_FOLDER SCREENSHOT_FOLDER
# Needs an X display without a window manager (the keyboard then follows the pointer),
# xdotool and ImageMagick; exits 77 (skipped) when a tool is missing.
set -u
program=$1
samples=$2
shots=$3

for tool in xdotool import convert; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
mkdir -p "$shots"
export NO_AT_BRIDGE=1 GDK_BACKEND=x11 GSETTINGS_BACKEND=memory
out=$(mktemp -d)
pid=
fail() {
  echo "FAILED: $*"
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  rm -rf "$out"
  exit 1
}

# The id of the visible window whose title matches, once it is there.
window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits until the window $2 titled $1 is no longer shown.
gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" 2> /dev/null | grep -qx "$2" || return 0
    sleep 0.1
  done
  return 1
}

# Sends keys to the window with this title; echoes its id.
keys() {
  id=$(window "$1") || fail "no window titled $1"
  shift
  xdotool mousemove --window "$id" 20 20 key --delay 50 "$@"
  echo "$id"
}

# Answers the GTK file chooser titled $1 with the path $2.
pick() {
  id=$(window "^$1\$") || fail "the picker $1 did not appear"
  sleep 0.3
  xdotool mousemove --window "$id" 400 300 key ctrl+l ctrl+a
  xdotool type --delay 5 "$2"
  sleep 0.5
  xdotool key Return
  gone "^$1\$" "$id" || fail "the picker $1 did not accept $2"
}

# Dismisses the message box (captioned with the program's name) saying $1.
acknowledge() {
  box="^$(basename "$program")\$"
  window "$box" > /dev/null || fail "no message box: expected $1"
  id=$(keys "$box" Return)
  gone "$box" "$id" || fail "the message box with $1 did not close"
}

finished() {
  for _ in $(seq 100); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2> /dev/null && fail "the program did not end: $1"
  wait "$pid"
  status=$?
  pid=
  [ "$status" -eq 0 ] || fail "exit code $status: $1"
}

frame_title='^Tramelo - "Unificazione RT_NODI ed RT_ITIN"$'
dialog_title='^Unificazione ShapeFiles RT_NODI / RT_ITIN$'

# 1. Nothing merged: Esc ends the run.
"$program" &
pid=$!
window "$dialog_title" > /dev/null || fail "the merge dialog did not appear"
keys "$dialog_title" Escape > /dev/null
finished "after Esc with nothing merged"

# 2. A full run.
"$program" &
pid=$!
window "$dialog_title" > /dev/null || fail "the merge dialog did not appear"
frame=$(window "$frame_title") || fail "no main window titled $frame_title"
geometry=$(xdotool getwindowgeometry "$frame" | tr -d ' ' | tr '\n' ' ')
case "$geometry" in
  *Position:0,0*Geometry:600x480*) ;;
  *) fail "main window at $geometry, not 0,0 600x480" ;;
esac
keys "$dialog_title" Tab Tab space > /dev/null
pick "Selezione RT_NODI.SHP" "$samples/RT_NODI.SHP"
keys "$dialog_title" Tab space > /dev/null
pick "Selezione RT_ITIN.SHP" "$samples/RT_ITIN.SHP"
keys "$dialog_title" Tab > /dev/null
sleep 0.5
import -window root -crop 680x480+0+0 +repage "$shots/main.png" || fail "no screenshot"
# The top-left corner of the client area shows the ground around the picture.
corner=$(convert "$shots/main.png" -format '%[hex:p{2,2}]' info:)
[ "$corner" = "808080" ] || fail "ground colour at the corner is #$corner, not #808080"
keys "$dialog_title" space > /dev/null
pick "Selezione Cartella Output" "$out/RT_NODI.SHP"
acknowledge "the count of stops"
acknowledge "the count of routes"
finished "after the full run"
written=$(cd "$out" && ls | tr '\n' ' ')
[ "$written" = "RT_ITIN.CPG RT_ITIN.DBF RT_ITIN.PRJ RT_ITIN.SHP RT_ITIN.SHX RT_NODI.CPG RT_NODI.DBF RT_NODI.PRJ RT_NODI.SHP RT_NODI.SHX ReportFusione.csv ReportFusione.txt " ] ||
  fail "written: $written"
rm -rf "$out"
echo "main window and dialog: $shots/main.png; both runs ended with exit code 0"
