# Shared by the window scripts: a private Xvfb display with the program on it.
# Source it, then call start_program PROGRAM [ARGUMENT...]; WINDOW, X and Y are
# set after. XVFB_SCREEN (WIDTHxHEIGHTxDEPTH) chooses the screen, 1024x768x24 by default.

title="Brelvik MP3 Splitter"
work=$(mktemp -d)

cleanup() {
  [[ -n "${app_pid:-}" ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "$(basename "$0"): $*" >&2
  [[ -f "$work/app.log" ]] && cat "$work/app.log" >&2
  exit 1
}

start_program() {
  # -displayfd lets Xvfb pick a free display number and tell us which.
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  [[ -s "$work/display" ]] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
  # Start the program only once the server answers: on a busy machine the
  # display can be named a moment before it takes connections.
  for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdotool getdisplaygeometry >/dev/null 2>&1 ||
    fail "Xvfb display $DISPLAY does not answer: $(cat "$work/xvfb.log")"
  export SDL_AUDIODRIVER=dummy
  unset QT_QPA_PLATFORM

  "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  WINDOW=""
  for _ in $(seq 100); do
    WINDOW=$(xdotool search --name "^${title}\$" 2>/dev/null | head -1 || true)
    [[ -n "$WINDOW" ]] && break
    sleep 0.1
  done
  [[ -n "$WINDOW" ]] || fail "no window titled '$title' appeared"
  sleep 0.5  # let it paint
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
}

# screenshot FILE [whole]: the window, or the whole screen (dialogs included).
screenshot() {
  if [[ "${2:-}" == whole ]]; then
    xwd -silent -root | convert xwd:- "png:$1"
  else
    xwd -silent -root | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "png:$1"
  fi
}

# click LEFT TOP: a left click at client coordinates of the window.
click() {
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.3
}
