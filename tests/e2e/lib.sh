# Helpers for end-to-end tests: a private X server, the program under test in
# it, and pixel checks on screenshots. Source it; everything it starts is
# stopped by e2e_cleanup, which it installs as the EXIT trap.

E2E_PIDS=()
E2E_WORK=$(mktemp -d /tmp/orvanta-e2e-XXXXXX)

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || e2e_fail "the tool '$tool' is not installed"
  done
}

# Starts Xvfb on a display it picks itself and exports DISPLAY.
e2e_start_xvfb() {
  e2e_need Xvfb
  local fd_file="$E2E_WORK/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>"$E2E_WORK/xvfb.log" &
  E2E_PIDS+=($!)
  local tries=0
  until [ -s "$fd_file" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || e2e_fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '[:space:]' <"$fd_file")"
}

# Runs a program in the background under the private display.
e2e_run() {
  QT_QPA_PLATFORM=xcb "$@" >"$E2E_WORK/program.log" 2>&1 &
  E2E_PIDS+=($!)
  E2E_PROGRAM_PID=$!
}

# Prints the id of the window whose whole title is $1, waiting up to 30 s.
e2e_wait_window() {
  local title=$1 id tries=0
  while :; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    kill -0 "$E2E_PROGRAM_PID" 2>/dev/null ||
      e2e_fail "the program ended before its window '$title' appeared: $(cat "$E2E_WORK/program.log")"
    tries=$((tries + 1))
    [ $tries -le 300 ] || e2e_fail "no window titled '$title' appeared"
    sleep 0.1
  done
  echo "$id"
}

# Sets WIN_X, WIN_Y, WIN_W, WIN_H for window $1. Without a window manager the
# window has no frame, so this is also its client area.
e2e_window_geometry() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
}

e2e_screenshot() {
  import -window root "$1" || e2e_fail "screenshot failed"
}

# The colour of screenshot $1 at client point ($2, $3) as #RRGGBB.
e2e_pixel() {
  local hex
  hex=$(convert "$1" -format "%[hex:u.p{$((WIN_X + $2)),$((WIN_Y + $3))}]" info:)
  echo "#${hex:0:6}"
}

# Raw pixels of a client rectangle ($2,$3 size $4 x $5), hashed, for comparisons.
e2e_region_hash() {
  convert "$1" -crop "$4x$5+$((WIN_X + $2))+$((WIN_Y + $3))" +repage rgb:- | md5sum | cut -d' ' -f1
}

e2e_expect_pixel() {
  local shot=$1 x=$2 y=$3 want=$4 what=$5 got
  got=$(e2e_pixel "$shot" "$x" "$y")
  [ "${got^^}" = "${want^^}" ] || e2e_fail "$what: pixel ($x, $y) is $got, expected $want"
}

# Takes screenshots until client pixel ($1, $2) has colour $3, for up to 10 s;
# the last screenshot stays in $4.
e2e_wait_pixel() {
  local x=$1 y=$2 want=$3 shot=$4 tries=0
  while :; do
    e2e_screenshot "$shot"
    [ "$(e2e_pixel "$shot" "$x" "$y")" = "${want^^}" ] && return 0
    tries=$((tries + 1))
    [ $tries -le 50 ] || return 1
    sleep 0.2
  done
}

# True when colour $1 (#RRGGBB) is a grey: channels within 24 of each other,
# darker than white.
e2e_is_grey() {
  local r=$((16#${1:1:2})) g=$((16#${1:3:2})) b=$((16#${1:5:2}))
  local hi=$r lo=$r
  for c in $g $b; do
    [ $c -gt $hi ] && hi=$c
    [ $c -lt $lo ] && lo=$c
  done
  [ $((hi - lo)) -le 24 ] && [ $hi -lt 240 ]
}
