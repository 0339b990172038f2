# Waiting for X windows by their titles, for the scripts of the live tests (sourced; POSIX sh).
# live_wait is how long one wait lasts at most, in tenths of a second.
live_wait=${live_wait:-100}

# The id of the visible window whose title matches, once it is there.
window() {
  for _ in $(seq "$live_wait"); do
    _window=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1) || true
    if [ -n "$_window" ]; then
      echo "$_window"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits until the window $2 titled $1 is no longer shown.
gone() {
  for _ in $(seq "$live_wait"); do
    xdotool search --onlyvisible --name "$1" 2> /dev/null | grep -qx "$2" || return 0
    sleep 0.1
  done
  return 1
}
