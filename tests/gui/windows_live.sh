#!/usr/bin/env bash
# Runs the Windows desktop program under Wine as a user would, through the real Windows pickers
# and message boxes, with keys sent to the X server, and checks what it writes:
#   - the main window and the merge dialog appear with their titles;
#   - three stops and three routes shapefiles are added through the pickers, the first stops
#     file twice: the second time a warning box (captioned with the program's name) comes;
#   - a screenshot of the main window with the dialog over it (and one of an open picker);
#   - "Fine", and an output folder through the save picker, named by the initial name without
#     extension in a folder holding an earlier RT_NODI.SHP: the picker adds the extension and
#     asks before replacing it; then the two count boxes, exit code 0;
#   - every file written equals the Linux batch command's output for the same inputs, apart
#     from the date in the .DBF headers and the separators of the paths in the reports.
#   windows_live.sh PROGRAM.exe SAMPLES_FOLDER LINUX_TRAMELO_MERGE WORK_FOLDER
# Needs an X display (xvfb-run), openbox, xdotool and ImageMagick, and Wine's environment
# (WINEPREFIX...) from the caller, whose Wine server it ends on exit. A window manager is needed
# because without one the keys sent by xdotool do not reach Wine's windows. Every wait has a
# time limit (see live_windows.sh). Screenshots go to WORK_FOLDER/screenshots.
set -euo pipefail
program=$1
samples=$2
linux_merge=$3
work=$4

shots="$work/screenshots"
windows_out="$work/output-windows"
linux_out="$work/output-linux"
rm -rf "$windows_out" "$linux_out"
mkdir -p "$shots" "$windows_out" "$linux_out"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2> /dev/null || true
  done
  # wine's own process is only the launcher: the program runs on in the Wine server.
  wineserver -k 2> /dev/null || true
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  import -window root "$shots/failure.png" 2> /dev/null || true
  exit 1
}

openbox > "$work/openbox.log" 2>&1 &
pids+=($!)

# Wine's windows take their time, all the more on a busy machine: a wait lasts up to 60 s.
live_wait=60
. "$(dirname "$0")/live_windows.sh"
manager_up

# Whether the window $1 has the focus; when it has not, the window manager is asked to give it.
focused() {
  [ "$(xdotool getactivewindow 2> /dev/null)" = "$1" ] && return 0
  xdotool windowactivate "$1" 2> /dev/null
  return 1
}
# Gives the window $1 the focus, so that the keys sent next reach it.
activate() {
  until_true focused "$1" || fail "the window $1 did not get the focus"
}

# Gives the window titled $1 the focus and sends it the keys that follow; echoes its id.
keys() {
  local id
  id=$(window "$1") || fail "no window titled $1"
  shift
  activate "$id"
  xdotool key --delay 80 "$@"
  echo "$id"
}

# Sets prompt to a visible window titled $1 other than the window $2, if there is one.
other_shown() {
  prompt=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | grep -vx "$2" | head -n 1)
  [ -n "$prompt" ]
}

# Answers the picker titled $1 with the Windows path $2, typed into its file name box (which
# has the focus when a picker opens); a screenshot named $3, if given, is taken first. With
# REPLACE set, the picker must first ask whether to replace the file, which is answered yes
# (the default button).
pick() {
  local id prompt=
  id=$(window "^$1\$") || fail "the picker $1 did not appear"
  activate "$id"
  if [ $# -gt 2 ]; then
    import -window root "$shots/$3" || fail "no screenshot of the picker"
  fi
  xdotool key ctrl+a
  xdotool type --delay 5 "$2"
  xdotool key Return
  if [ -n "${REPLACE:-}" ]; then
    # The question is captioned like the picker.
    until_true other_shown "^$1\$" "$id" || fail "the picker $1 did not ask before replacing $2"
    activate "$prompt"
    import -window root "$shots/replace-prompt.png" || fail "no screenshot of the question"
    xdotool key Return
    gone "^$1\$" "$prompt" || fail "the question of the picker $1 did not close"
  fi
  gone "^$1\$" "$id" || fail "the picker $1 did not accept $2"
}

# Dismisses the message box captioned with the program's name, expected to say $1; a
# screenshot named $2, if given, is taken first.
acknowledge() {
  local box id
  box="^$(basename "$program" .exe)\$"
  id=$(window "$box") || fail "no message box: expected $1"
  activate "$id"
  if [ $# -gt 1 ]; then
    import -window root "$shots/$2" || fail "no screenshot of the message box"
  fi
  xdotool key Return
  gone "$box" "$id" || fail "the message box with $1 did not close"
}

frame_title='^Tramelo - "Unificazione RT_NODI ed RT_ITIN"$'
dialog_title='^Unificazione ShapeFiles RT_NODI / RT_ITIN$'
stops=(bus_si lirr mnr)
# The Windows path of the absolute path $1: Wine's drive Z: is the root folder. Made here
# rather than by winepath, a Wine program, which on a busy machine printed an error instead.
windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}
for folder in "$samples" "$work"; do
  [[ $folder == /* ]] || fail "SAMPLES_FOLDER and WORK_FOLDER must be absolute paths, not $folder"
done

wine "$program" > "$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
window "$dialog_title" > /dev/null || fail "the merge dialog did not appear"
frame=$(window "$frame_title") || fail "no main window titled $frame_title"

# Tab order: the two lists, "Aggiungi RT_NODI", "Aggiungi RT_ITIN", "Fine". After a picker
# closes the focus is back on the button that opened it.
keys "$dialog_title" Tab Tab > /dev/null
for sample in "${stops[@]}" "${stops[0]}"; do
  keys "$dialog_title" space > /dev/null
  shot=()
  [ "$sample" = "${stops[0]}" ] && [ ! -e "$shots/picker.png" ] && shot=(picker.png)
  pick "Selezione RT_NODI.SHP" "$(windows_path "$samples/$sample/RT_NODI.SHP")" "${shot[@]}"
done
acknowledge "that $(windows_path "$samples/${stops[0]}/RT_NODI.SHP") was already acquired" warning.png
keys "$dialog_title" Tab > /dev/null
for sample in "${stops[@]}"; do
  keys "$dialog_title" space > /dev/null
  pick "Selezione RT_ITIN.SHP" "$(windows_path "$samples/$sample/RT_ITIN.SHP")"
done
keys "$dialog_title" Tab > /dev/null
# The frame's client area shows the ground colour around the picture, once the frame has
# been drawn again where the picker covered it.
geometry=$(xdotool getwindowgeometry --shell "$frame") || fail "no geometry of the main window"
eval "$geometry"
ground_shown() {
  import -window root "$shots/main.png" || fail "no screenshot"
  corner=$(convert "$shots/main.png" -format "%[hex:p{$((X + 2)),$((Y + 2))}]" info:) ||
    fail "the screenshot $shots/main.png cannot be read"
  [ "$corner" = "808080" ]
}
until_true ground_shown || fail "ground colour at the frame's corner is #$corner, not #808080"

printf 'earlier' > "$windows_out/RT_NODI.SHP"
keys "$dialog_title" space > /dev/null
REPLACE=1 pick "Selezione Cartella Output" "$(windows_path "$windows_out")\\RT_NODI" save-picker.png
acknowledge "the count of stops"
acknowledge "the count of routes"
until_true ended "$program_pid" || fail "the program did not end after the count boxes"
status=0
wait "$program_pid" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status"

inputs=()
for sample in "${stops[@]}"; do
  inputs+=(-s "$samples/$sample/RT_NODI.SHP")
done
for sample in "${stops[@]}"; do
  inputs+=(-r "$samples/$sample/RT_ITIN.SHP")
done
"$linux_merge" "${inputs[@]}" -o "$linux_out" > /dev/null || fail "the Linux batch command failed"

written=$(cd "$windows_out" && echo *)
expected=$(cd "$linux_out" && echo *)
[ "$written" = "$expected" ] || fail "written: $written; the Linux build writes $expected"
! cmp -s -n 7 "$windows_out/RT_NODI.SHP" <(printf earlier) || fail "the earlier RT_NODI.SHP was not replaced"
failed=0
for name in $expected; do
  case "$name" in
    *.DBF)
      # Byte 0 is the version, bytes 1-3 the date of writing.
      cmp -n 1 "$linux_out/$name" "$windows_out/$name" &&
        cmp <(tail -c +5 "$linux_out/$name") <(tail -c +5 "$windows_out/$name") ;;
    ReportFusione.*)
      # The reports name the inputs as the picker gave them: Z:\...\RT_NODI.SHP.
      cmp "$linux_out/$name" <(sed 's#Z:\\#/#g; s#\\#/#g' "$windows_out/$name") ;;
    *) cmp "$linux_out/$name" "$windows_out/$name" ;;
  esac || { echo "MISMATCH: $name" >&2; failed=1; }
done
((failed == 0)) || exit 1
echo "the program under Wine wrote what the Linux build writes: $written"
echo "screenshots: $shots/main.png, picker.png, warning.png, save-picker.png, replace-prompt.png"
