# Waiting for X windows and their states, for the scripts of the live tests (sourced; POSIX sh;
# the sourcing script defines fail). Every wait polls its condition and ends as soon as it
# holds, so its limit only matters when something is wrong: live_wait seconds (set by the
# sourcing script), times TRAMELO_WAIT_FACTOR (a whole number, 1 unless set) for a machine
# slower still than a loaded one.
live_wait=${live_wait:-20}
live_factor=${TRAMELO_WAIT_FACTOR:-1}
case $live_factor in
  '' | *[!0-9]* | 0) fail "TRAMELO_WAIT_FACTOR must be a whole number from 1, not $live_factor" ;;
esac
xdotool getmouselocation > /dev/null || fail "xdotool cannot reach the X display ${DISPLAY:-(none)}"

# Runs the command that follows every tenth of a second until it succeeds; returns 1 when it
# has not within the limit.
until_true() {
  _deadline=$(($(date +%s) + live_wait * live_factor))
  until "$@"; do
    [ "$(date +%s)" -le "$_deadline" ] || return 1
    sleep 0.1
  done
}

# Sets _window to the visible window whose title matches $1, if there is one.
shown() {
  _window=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1)
  [ -n "$_window" ]
}

# The id of the visible window whose title matches, once it is there.
window() {
  until_true shown "$1" || return 1
  echo "$_window"
}

# Whether the window $2 titled $1 is no longer shown; waiting until it is not. A search
# that meets a window being destroyed ends with an X error and lists only some windows, so
# it proves nothing.
not_shown() {
  _found=$(xdotool search --onlyvisible --name "$1" 2>&1)
  case $_found in *Error*) return 1 ;; esac
  ! echo "$_found" | grep -qx "$2"
}
gone() {
  until_true not_shown "$1" "$2"
}

# Whether the process $1 has ended.
ended() {
  ! kill -0 "$1" 2> /dev/null
}

# Whether a window manager runs; waiting until one does.
managed() {
  xdotool get_num_desktops > /dev/null 2>&1
}
manager_up() {
  until_true managed || fail "the window manager did not start"
}
