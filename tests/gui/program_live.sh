#!/bin/sh
# Runs the desktop program twice as a user would, through the real pickers and message boxes,
# with keys sent to the X server:
#   1. Esc with nothing merged ends the program at once with exit code 0.
#   2. A full run: the main window at 0,0, 600 x 480, with its title and ground colour; one
#      stops and one routes shapefile added through the pickers (Tab order: lists, "Aggiungi
#      RT_NODI", "Aggiungi RT_ITIN", "Fine"); a screenshot of the window with the dialog over
#      it; "Fine", an output folder, the two count boxes; exit code 0 and every output written.
#   program_live.sh PROGRAM SAMPLE_FOLDER SCREENSHOT_FOLDER [openbox]
# The stops picker is answered with its initial name alone (the program runs in the sample
# folder), the routes picker with a name without extension, and the output folder holds an
# earlier RT_NODI.SHP, so that the program must ask before replacing it.
# With "openbox", the run happens under that window manager, which also checks that the
# dialog opens as the top window with the focus, stays over the main window when that is
# clicked, and cannot be minimised away. Without it, the X display must have no window
# manager (the keyboard then follows the pointer).
# Needs xdotool, xprop, xwininfo and ImageMagick; exits 77 (skipped) when a tool is missing.
set -u
program=$(realpath "$1")
samples=$2
shots=$3
manager=${4:-}

for tool in xdotool xprop xwininfo import convert $manager; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
mkdir -p "$shots"
export NO_AT_BRIDGE=1 GDK_BACKEND=x11 GSETTINGS_BACKEND=memory
out=$(mktemp -d)
pid=
wm=
fail() {
  echo "FAILED: $*"
  import -window root "$shots/failure${manager:+-$manager}.png" 2> /dev/null &&
    echo "the screen then: $shots/failure${manager:+-$manager}.png"
  [ -n "$pid" ] && kill "$pid" 2> /dev/null
  [ -n "$wm" ] && kill "$wm" 2> /dev/null
  rm -rf "$out"
  exit 1
}
if [ -n "$manager" ]; then
  "$manager" > /dev/null 2>&1 &
  wm=$!
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
    sleep 0.1
  done
fi

. "$(dirname "$0")/live_windows.sh"

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

# Dismisses the message box (captioned with the program's name) saying $1, with the keys
# that follow (Return by default).
acknowledge() {
  box="^$(basename "$program")\$"
  what=$1
  shift
  [ $# -gt 0 ] || set -- Return
  window "$box" > /dev/null || fail "no message box: expected $what"
  id=$(keys "$box" "$@")
  gone "$box" "$id" || fail "the message box with $what did not close"
}

# The topmost of the managed windows, and the one with the focus.
top_window() {
  xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //'
}
active_window() {
  xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //; s/,.*//'
}
hex() {
  printf '0x%x\n' "$1"
}

# Under the window manager: the dialog $1 over the main window $2 with the focus.
dialog_in_front() {
  [ "$(top_window)" = "$(hex "$1")" ] || fail "$3: the dialog is not the top window"
  [ "$(active_window)" = "$(hex "$1")" ] || fail "$3: the dialog does not have the focus"
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

cd "$samples" || fail "no folder $samples"

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
dialog=$(window "$dialog_title")
if [ -n "$manager" ]; then
  sleep 0.5
  dialog_in_front "$dialog" "$frame" "at the start"
  xdotool mousemove --window "$frame" 300 400 click 1
  sleep 0.5
  dialog_in_front "$dialog" "$frame" "after a click on the main window"
  xdotool windowminimize "$dialog"
  sleep 0.5
  xprop -id "$dialog" WM_STATE | grep -q "window state: Normal" || fail "the dialog was minimised"
  dialog_in_front "$dialog" "$frame" "after an attempt to minimise it"
else
  geometry=$(xdotool getwindowgeometry "$frame" | tr -d ' ' | tr '\n' ' ')
  case "$geometry" in
    *Position:0,0*Geometry:600x480*) ;;
    *) fail "main window at $geometry, not 0,0 600x480" ;;
  esac
fi
# The stops picker opens in the working folder with "RT_NODI" typed in: Return takes
# RT_NODI.SHP there.
keys "$dialog_title" Tab Tab space > /dev/null
id=$(window "^Selezione RT_NODI.SHP\$") || fail "the stops picker did not appear"
sleep 0.5
xdotool mousemove --window "$id" 400 300 key Return
gone "^Selezione RT_NODI.SHP\$" "$id" || fail "the stops picker did not take its initial name"
keys "$dialog_title" Tab space > /dev/null
pick "Selezione RT_ITIN.SHP" "$PWD/RT_ITIN"
keys "$dialog_title" Tab > /dev/null
sleep 0.5
shot="$shots/main${manager:+-$manager}.png"
set -- $(xwininfo -id "$frame" | sed -n 's/.*Absolute upper-left [XY]: *\([0-9]*\)/\1/p; s/.*Width: *\([0-9]*\)/\1/p; s/.*Height: *\([0-9]*\)/\1/p' | tr '\n' ' ')
# The bottom-left corner of the client area shows the ground around the picture, once the
# closed picker no longer covers it (a slow build may take a moment). The dialog never
# reaches down there, wherever a window manager puts it over the main window.
for _ in $(seq 20); do
  import -window root -crop 680x560+0+0 +repage "$shot" || fail "no screenshot"
  corner=$(convert "$shot" -format "%[hex:p{$(($1 + 2)),$(($2 + $4 - 3))}]" info:)
  [ "$corner" = "808080" ] && break
  sleep 0.2
done
[ "$corner" = "808080" ] || fail "ground colour at the corner is #$corner, not #808080"
keys "$dialog_title" space > /dev/null
printf 'earlier' > "$out/RT_NODI.SHP"
pick "Selezione Cartella Output" "$out/RT_NODI.shp"
# The question's default answer is No; Alt+S answers Sì.
acknowledge "the question before replacing RT_NODI.SHP" alt+s
acknowledge "the count of stops"
acknowledge "the count of routes"
finished "after the full run"
[ -n "$wm" ] && kill "$wm"
written=$(cd "$out" && ls | tr '\n' ' ')
[ "$written" = "RT_ITIN.CPG RT_ITIN.DBF RT_ITIN.PRJ RT_ITIN.SHP RT_ITIN.SHX RT_NODI.CPG RT_NODI.DBF RT_NODI.PRJ RT_NODI.SHP RT_NODI.SHX ReportFusione.csv ReportFusione.txt " ] ||
  fail "written: $written"
[ "$(head -c 7 "$out/RT_NODI.SHP")" != earlier ] || fail "the earlier RT_NODI.SHP was not replaced"
rm -rf "$out"
echo "main window and dialog: $shot; both runs ended with exit code 0"
