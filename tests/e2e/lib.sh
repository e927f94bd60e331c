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
  # -noreset: between two programs the server would reset when the last
  # client leaves, and a program connecting meanwhile would be refused.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fd_file" 2>"$E2E_WORK/xvfb.log" &
  E2E_PIDS+=($!)
  local tries=0
  until [ -s "$fd_file" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || e2e_fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '[:space:]' <"$fd_file")"
}

# The program opens links with xdg-open. A stand-in that only notes what it
# was given keeps a test's quick clicks (which the window may take for a
# double click) from starting a browser or an error box.
mkdir -p "$E2E_WORK/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened"\n' "$E2E_WORK" >"$E2E_WORK/bin/xdg-open"
chmod +x "$E2E_WORK/bin/xdg-open"

# Runs a program in the background under the private display.
e2e_run() {
  PATH="$E2E_WORK/bin:$PATH" QT_QPA_PLATFORM=xcb "$@" >"$E2E_WORK/program.log" 2>&1 &
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

# ---------------------------------------------------------------------------
# Driving the program: clicks, keys, polling with a deadline, a local link
# server, and reading the bookmark view's rows from screenshots.

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Runs "$@" until it succeeds, for up to $1 seconds; fails with $2 otherwise.
# The command usually takes a screenshot and looks at it; what it puts in
# E2E_LAST_SEEN is added to the failure message.
e2e_wait_until() {
  local limit=$1 what=$2
  shift 2
  local deadline=$((SECONDS + limit))
  E2E_LAST_SEEN=
  until "$@"; do
    [ $SECONDS -lt $deadline ] ||
      e2e_fail "$what (gave up after $limit s${E2E_LAST_SEEN:+; last seen: $E2E_LAST_SEEN})"
    sleep 0.1
  done
}

# Starts the program $1 with $2 as its home (Favorites and settings in it),
# waits for its painted main window and measures it; sets E2E_WINDOW. $3 is
# the screenshot file to use.
e2e_start_orvanta() {
  mkdir -p "$2/.config"
  HOME="$2" XDG_CONFIG_HOME="$2/.config" XDG_DATA_HOME="$2/.local/share" e2e_run "$1"
  E2E_WINDOW=$(e2e_wait_window "Orvanta 1\\.0")
  e2e_window_geometry "$E2E_WINDOW"
  e2e_wait_pixel 300 0 "#F2F5F7" "$3" || e2e_fail "the main window was never painted"
}

# Takes screenshot $1 and is true when client pixel ($2, $3) has colour $4.
e2e_shows_pixel() {
  e2e_screenshot "$1"
  [ "$(e2e_pixel "$1" "$2" "$3")" = "${4^^}" ]
}

e2e_lacks_pixel() {
  ! e2e_shows_pixel "$@"
}

# Left click at client point ($1, $2) of the window measured last. A move
# with --sync to where the pointer already is would wait for a motion event
# that never comes.
e2e_click() {
  local x=$((WIN_X + $1)) y=$((WIN_Y + $2)) X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell)"
  if [ "$X" -ne "$x" ] || [ "$Y" -ne "$y" ]; then
    xdotool mousemove --sync "$x" "$y"
  fi
  xdotool click 1
}

# Writes an Internet shortcut file $1 that points at $2.
e2e_write_shortcut() {
  mkdir -p "$(dirname "$1")"
  printf '[InternetShortcut]\r\nURL=%s\r\n' "$2" >"$1"
}

# Starts link_server.py on 127.0.0.1 and sets E2E_LINK_BASE (its
# http://127.0.0.1:PORT), E2E_LINK_LOG (one requested path a line) and
# E2E_HOLD_DIR (where e2e_release puts the files that end held answers).
e2e_start_link_server() {
  e2e_need python3
  local port_file="$E2E_WORK/link-server.port" pid deadline=$((SECONDS + 15))
  E2E_LINK_LOG="$E2E_WORK/link-server.log"
  E2E_HOLD_DIR="$E2E_WORK/held"
  mkdir -p "$E2E_HOLD_DIR"
  python3 "$E2E_DIR/link_server.py" "$port_file" "$E2E_LINK_LOG" "$E2E_HOLD_DIR" \
    2>"$E2E_WORK/link-server.err" &
  pid=$!
  E2E_PIDS+=("$pid")
  until [ -s "$port_file" ]; do
    kill -0 $pid 2>/dev/null || e2e_fail "the link server did not start: $(cat "$E2E_WORK/link-server.err")"
    [ $SECONDS -lt $deadline ] || e2e_fail "the link server did not start in time"
    sleep 0.1
  done
  E2E_LINK_BASE="http://127.0.0.1:$(cat "$port_file")"
}

# Lets the held answers named $@ go out (see link_server.py).
e2e_release() {
  local name
  for name in "$@"; do
    : >"$E2E_HOLD_DIR/$name"
  done
}

# True once the link server has been asked for path $1.
e2e_requested() {
  grep -qxF "$1" "$E2E_LINK_LOG"
}

# Sends window $1 the message its close box would send.
e2e_close_window() {
  python3 "$E2E_DIR/close_window.py" "$1" || e2e_fail "could not ask window $1 to close"
}

e2e_window_exists() {
  [ -n "$(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null | head -n 1)" ]
}

# True once process $1 has ended (a child not yet reaped counts as ended).
e2e_process_ended() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 0
  [ -z "$state" ] || [ "$state" = Z ]
}

# Pixels of colour $6 (#RRGGBB) in client rectangle ($2,$3 size $4 x $5).
e2e_count_colour() {
  convert "$1" -crop "$4x$5+$((WIN_X + $2))+$((WIN_Y + $3))" +repage -alpha off txt:- |
    grep -ciF " ${6^^} " || true
}

# Pixels darker than mid-grey in client rectangle ($2,$3 size $4 x $5).
e2e_count_dark() {
  convert "$1" -crop "$4x$5+$((WIN_X + $2))+$((WIN_Y + $3))" +repage -alpha off \
    -colorspace Gray -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:
}

# The bookmark view at its design size: the tree's frame at (8, 54), 2 px of
# border, a 20-px header, 18-px rows, columns of 265, 265 and 80 px.
E2E_ROWS_TOP=76
E2E_ROW_HEIGHT=18
E2E_STATUS_LEFT=540
E2E_STATUS_WIDTH=80

# Client y of the middle of row $1 (0 is the root entry).
e2e_row_middle() {
  echo $((E2E_ROWS_TOP + $1 * E2E_ROW_HEIGHT + E2E_ROW_HEIGHT / 2))
}

# The lamp in the Status cell of row $2 in screenshot $1, by its centre
# pixel: grey, green, red, none (the plain cell) or other.
e2e_lamp() {
  local colour r g b
  colour=$(e2e_pixel "$1" $((E2E_STATUS_LEFT + E2E_STATUS_WIDTH / 2)) \
    $((E2E_ROWS_TOP + $2 * E2E_ROW_HEIGHT + 1 + 8)))
  r=$((16#${colour:1:2})) g=$((16#${colour:3:2})) b=$((16#${colour:5:2}))
  if [ $r -ge 240 ] && [ $g -ge 240 ] && [ $b -ge 240 ]; then
    echo none
  elif e2e_is_grey "$colour"; then
    echo grey
  elif [ $g -gt $((r + 60)) ] && [ $g -gt $((b + 60)) ]; then
    echo green
  elif [ $r -gt $((g + 60)) ] && [ $r -gt $((b + 60)) ]; then
    echo red
  else
    echo other
  fi
}

# Takes screenshot $1 and is true when rows $3.. show the lamps listed in $2
# (as e2e_lamps prints them).
e2e_shows_lamps() {
  local shot=$1 want=$2
  shift 2
  e2e_screenshot "$shot"
  E2E_LAST_SEEN=$(e2e_lamps "$shot" "$@")
  [ "$E2E_LAST_SEEN" = "$want" ]
}

# The lamps of rows $2.. in screenshot $1, space-separated.
e2e_lamps() {
  local shot=$1 row out=()
  shift
  for row in "$@"; do
    out+=("$(e2e_lamp "$shot" "$row")")
  done
  echo "${out[*]}"
}

# The Status column's header cell, inside its edges, for counting and hashing.
E2E_STATUS_HEADER=(541 57 78 18)
