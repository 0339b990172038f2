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
# folder), the routes picker with a name without extension in small letters, and the output
# folder holds an earlier RT_NODI.SHP, so that the program must ask before replacing it.
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
. "$(dirname "$0")/live_windows.sh"
if [ -n "$manager" ]; then
  "$manager" > /dev/null 2>&1 &
  wm=$!
  manager_up
fi

# Sends keys to the window with this title; echoes its id.
keys() {
  id=$(window "$1") || fail "no window titled $1"
  shift
  xdotool mousemove --window "$id" 20 20 key --delay 50 "$@"
  echo "$id"
}

# Whether the picker $2 titled $1 has closed; while it has not, Return is pressed in it
# every 3 s (times the factor). A GTK picker starved of the processor has now and then
# ignored a Return: the picker stayed open with its text complete, and took the next Return.
# A Return it took has long been answered by the time the next one comes.
closed() {
  not_shown "$1" "$2" && return 0
  [ "$(date +%s)" -lt "$next_return" ] && return 1
  xdotool key Return
  next_return=$(($(date +%s) + 3 * live_factor))
  return 1
}
# Presses Return in the picker $2 titled $1 until it closes.
answer() {
  next_return=0
  until_true closed "$1" "$2"
}

# Answers the GTK file chooser titled $1 with the path $2, typed into its location entry.
# No name in the folder of $2 may start with its last part (letter case counts): the entry
# completes such a name once it has read the folder, which on a busy machine can be after
# Return, so that the text taken would not be the one typed.
pick() {
  id=$(window "^$1\$") || fail "the picker $1 did not appear"
  xdotool mousemove --window "$id" 400 300 key ctrl+l ctrl+a
  xdotool type --delay 5 "$2"
  answer "^$1\$" "$id" || fail "the picker $1 did not accept $2"
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

# Under the window manager: whether the dialog $1 is the topmost of the managed windows
# and has the focus; why not in $in_front_not.
in_front() {
  stacking=$(xprop -root _NET_CLIENT_LIST_STACKING) || fail "xprop cannot read the stacking order"
  active=$(xprop -root _NET_ACTIVE_WINDOW) || fail "xprop cannot read the active window"
  dialog_hex=$(printf '0x%x' "$1")
  in_front_not="the dialog is not the top window"
  [ "$(echo "$stacking" | sed 's/.*, //; s/.*# //')" = "$dialog_hex" ] || return 1
  in_front_not="the dialog does not have the focus"
  [ "$(echo "$active" | sed 's/.*# //; s/,.*//')" = "$dialog_hex" ]
}
# Whether the dialog $1 is in front and shown (not minimised).
in_front_shown() {
  in_front "$1" || return 1
  state=$(xprop -id "$1" WM_STATE) || fail "xprop cannot read the dialog's state"
  in_front_not="the dialog was minimised"
  echo "$state" | grep -q "window state: Normal"
}

# Returns once the window manager has handled every request and input event sent before:
# it handles a change of the number of desktops only after them.
desktops_are() {
  [ "$(xdotool get_num_desktops 2> /dev/null)" = "$1" ]
}
wm_sync() {
  desktops=$(xdotool get_num_desktops) || fail "xdotool cannot read the number of desktops"
  for count in $((desktops + 1)) "$desktops"; do
    xdotool set_num_desktops "$count" || fail "xdotool cannot set the number of desktops"
    until_true desktops_are "$count" || fail "the window manager did not answer"
  done
}

finished() {
  until_true ended "$pid" || fail "the program did not end: $1"
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
  until_true in_front "$dialog" || fail "at the start: $in_front_not"
  xdotool mousemove --window "$frame" 300 400 click 1
  wm_sync
  until_true in_front "$dialog" || fail "after a click on the main window: $in_front_not"
  # The window manager minimises it; the program shows it again at once.
  xdotool windowminimize "$dialog"
  wm_sync
  until_true in_front_shown "$dialog" || fail "after an attempt to minimise it: $in_front_not"
else
  geometry=$(xdotool getwindowgeometry "$frame") || fail "no geometry of the main window"
  geometry=$(echo "$geometry" | tr -d ' ' | tr '\n' ' ')
  case "$geometry" in
    *Position:0,0*Geometry:600x480*) ;;
    *) fail "main window at $geometry, not 0,0 600x480" ;;
  esac
fi
# The stops picker opens in the working folder with "RT_NODI" typed in: Return takes
# RT_NODI.SHP there.
keys "$dialog_title" Tab Tab space > /dev/null
id=$(window "^Selezione RT_NODI.SHP\$") || fail "the stops picker did not appear"
xdotool mousemove --window "$id" 400 300
answer "^Selezione RT_NODI.SHP\$" "$id" || fail "the stops picker did not take its initial name"
keys "$dialog_title" Tab space > /dev/null
pick "Selezione RT_ITIN.SHP" "$PWD/rt_itin"
keys "$dialog_title" Tab > /dev/null
shot="$shots/main${manager:+-$manager}.png"
info=$(xwininfo -id "$frame") || fail "xwininfo cannot read the main window"
set -- $(echo "$info" | sed -n 's/.*Absolute upper-left [XY]: *\([0-9]*\)/\1/p; s/.*Width: *\([0-9]*\)/\1/p; s/.*Height: *\([0-9]*\)/\1/p')
[ $# -eq 4 ] || fail "no position and size of the main window in: $info"
# The bottom-left corner of the client area shows the ground around the picture, once the
# closed picker no longer covers it (a slow build or a busy machine may take a moment). The
# dialog never reaches down there, wherever a window manager puts it over the main window.
ground_shown() {
  import -window root -crop 680x560+0+0 +repage "$shot" || fail "no screenshot"
  corner=$(convert "$shot" -format "%[hex:p{$(($1 + 2)),$(($2 + $4 - 3))}]" info:) ||
    fail "the screenshot $shot cannot be read"
  [ "$corner" = "808080" ]
}
until_true ground_shown "$@" || fail "ground colour at the corner is #$corner, not #808080"
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
[ "$written" = "RT_ITIN.CPG RT_ITIN.DBF RT_ITIN.PRJ RT_ITIN.SHP RT_ITIN.SHX RT_NODI.CPG RT_NODI.DBF RT_NODI.PRJ RT_NODI.SHP RT_NODI.SHX ReportFusione.csv ReportFusione.csvt ReportFusione.txt " ] ||
  fail "written: $written"
[ "$(head -c 7 "$out/RT_NODI.SHP")" != earlier ] || fail "the earlier RT_NODI.SHP was not replaced"
rm -rf "$out"
echo "main window and dialog: $shot; both runs ended with exit code 0"
