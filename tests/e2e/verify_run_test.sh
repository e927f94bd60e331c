#!/usr/bin/env bash
# Verification runs in the real program against a local server: every lamp
# turns green or red as the server answers, links in collapsed folders are
# probed too, the Status header animates while a probe is in flight and not
# after the run, and "Stop" puts the menu and the header back to idle at once;
# in the original strict run one link at a time the probe in flight still
# lands, and no further link is probed.
# The first two runs check one link at a time (the Options setting), so the
# order of the requests is the tree's; the last one, several at once, shows
# each lamp as its answer arrives.
# Usage: verify_run_test.sh path/to/orvanta
set -euo pipefail
binary=${1:?usage: verify_run_test.sh path/to/orvanta}
source "$(dirname "$0")/lib.sh"
e2e_need xdotool import convert md5sum python3

shot="$E2E_WORK/shot.png"

# The verify menu drops down at client (7, 29) with a 1-px frame; its first
# item is a plain bar whose groove line lies 3 px below the frame.
menu_groove=(10 32 "#C5C5C5")

# Opens the verify menu and sets VERIFY_TOP, STOP_TOP and ITEM_HEIGHT from
# the groove lines of the two bars, which bound the items.
open_verify_menu() {
  e2e_click 22 14
  e2e_wait_until 10 "the verify menu did not drop down under its button" \
    e2e_shows_pixel "$shot" "${menu_groove[@]}"
  local grooves
  mapfile -t grooves < <(convert "$shot" -crop "1x150+$((WIN_X + 10))+$((WIN_Y + 30))" +repage \
    -alpha off txt:- | awk -F'[,:]' '/#C5C5C5/ {print $2 + 30}')
  [ ${#grooves[@]} -ge 2 ] || e2e_fail "the verify menu does not show its two bars"
  VERIFY_TOP=$((grooves[0] + 2))
  STOP_TOP=$((grooves[1] + 2))
  ITEM_HEIGHT=$((grooves[1] - 2 - VERIFY_TOP))
  [ $ITEM_HEIGHT -ge 20 ] || e2e_fail "the verify menu's first item is only $ITEM_HEIGHT px high"
}

# Checks the captions' colours in the open menu: the item named $1 enabled
# (#00156E), the one named $2 disabled (#808080).
expect_menu() {
  local enabled=$1 disabled=$2 on_top off_top count
  if [ "$enabled" = "Verify links" ]; then
    on_top=$VERIFY_TOP off_top=$STOP_TOP
  else
    on_top=$STOP_TOP off_top=$VERIFY_TOP
  fi
  count=$(e2e_count_colour "$shot" 8 "$on_top" 150 "$ITEM_HEIGHT" "#00156E")
  [ "$count" -ge 20 ] || e2e_fail "\"$enabled\" is not drawn enabled (#00156E: $count px) ($3)"
  count=$(e2e_count_colour "$shot" 8 "$on_top" 150 "$ITEM_HEIGHT" "#808080")
  [ "$count" -eq 0 ] || e2e_fail "\"$enabled\" has disabled-grey text ($count px) ($3)"
  count=$(e2e_count_colour "$shot" 8 "$off_top" 150 "$ITEM_HEIGHT" "#808080")
  [ "$count" -ge 10 ] || e2e_fail "\"$disabled\" is not drawn disabled (#808080: $count px) ($3)"
  count=$(e2e_count_colour "$shot" 8 "$off_top" 150 "$ITEM_HEIGHT" "#00156E")
  [ "$count" -eq 0 ] || e2e_fail "\"$disabled\" has enabled text ($count px) ($3)"
}

close_menu() {
  xdotool key Escape
  e2e_wait_until 10 "the verify menu did not close on Escape" \
    e2e_lacks_pixel "$shot" "${menu_groove[@]}"
}

choose_verify_links() {
  open_verify_menu
  e2e_click 30 $((VERIFY_TOP + 8))
}

header_hash() {
  e2e_region_hash "$shot" "${E2E_STATUS_HEADER[@]}"
}

# The header's caption alone gives idle_dark dark pixels; a busy frame adds
# its dark dots.
header_busy() {
  [ "$(e2e_count_dark "$shot" "${E2E_STATUS_HEADER[@]}")" -ge $((idle_dark + 12)) ]
}

header_idle() {
  e2e_screenshot "$shot"
  [ "$(header_hash)" = "$idle_header" ]
}

remember_idle_header() {
  idle_header=$(header_hash)
  idle_dark=$(e2e_count_dark "$shot" "${E2E_STATUS_HEADER[@]}")
}

e2e_start_link_server
e2e_start_xvfb
base=$E2E_LINK_BASE

# Config.ini under the home $1 that makes runs check one link at a time.
one_link_at_a_time() {
  mkdir -p "$1/.config/Orvanta"
  printf '[Options]\nLinksAtOnce=1\n' >"$1/.config/Orvanta/Config.ini"
}

# --- A whole run --------------------------------------------------------------
# Rows: 0 the root, 1 the collapsed folder Group, 2..6 the links A1..E5.
run_home="$E2E_WORK/run"
e2e_write_shortcut "$run_home/Favorites/Group/Inner.url" "$base/alive/inner"
e2e_write_shortcut "$run_home/Favorites/A1.url" "$base/alive/a1"
e2e_write_shortcut "$run_home/Favorites/B2.url" "$base/dead/b2"
e2e_write_shortcut "$run_home/Favorites/C3.url" "$base/hold/c3"
e2e_write_shortcut "$run_home/Favorites/D4.url" "$base/alive/d4"
e2e_write_shortcut "$run_home/Favorites/E5.url" "$base/dead/e5"
one_link_at_a_time "$run_home"
e2e_start_orvanta "$binary" "$run_home" "$shot"
e2e_wait_until 10 "the links never showed their grey lamps" \
  e2e_shows_lamps "$shot" "none none grey grey grey grey grey" 0 1 2 3 4 5 6
remember_idle_header

choose_verify_links
# C3's answer is held, so the run stands on it until it is let go.
e2e_wait_until 20 "the lamps before the held link never became green, red, grey" \
  e2e_shows_lamps "$shot" "green red grey grey grey" 2 3 4 5 6
e2e_requested /hold/c3 || e2e_fail "the held link is grey but was never asked for"
e2e_requested /alive/inner || e2e_fail "the link in the collapsed folder was not probed"

# The header animates: busy frames, and more than one of them.
frames=()
collect_frames() {
  e2e_screenshot "$shot"
  if header_busy; then
    local hash
    hash=$(header_hash)
    [[ " ${frames[*]} " == *" $hash "* ]] || frames+=("$hash")
  fi
  E2E_LAST_SEEN="${#frames[@]} different frames"
  [ ${#frames[@]} -ge 2 ]
}
e2e_wait_until 15 "the Status header did not show changing busy frames while a probe was in flight" \
  collect_frames
[ "$(e2e_lamp "$shot" 4)" = grey ] || e2e_fail "the held link was decided before it was let go"

e2e_release c3
e2e_wait_until 20 "the run did not end with every lamp as the server answered" \
  e2e_shows_lamps "$shot" "none green red green green red" 1 2 3 4 5 6
e2e_wait_until 10 "the Status header still shows a busy frame after the run" header_idle

expected=$(printf '%s\n' /alive/inner /alive/a1 /dead/b2 /hold/c3 /alive/d4 /dead/e5)
[ "$(cat "$E2E_LINK_LOG")" = "$expected" ] ||
  e2e_fail "the run did not probe each link once in tree order: $(tr '\n' ' ' <"$E2E_LINK_LOG")"

open_verify_menu
expect_menu "Verify links" "Stop" "after a run"
close_menu

e2e_close_window "$E2E_WINDOW"
e2e_wait_until 15 "the program did not end when its window was closed" \
  e2e_process_ended "$E2E_PROGRAM_PID"

# --- Stopping a run -----------------------------------------------------------
: >"$E2E_LINK_LOG"
stop_home="$E2E_WORK/stop"
e2e_write_shortcut "$stop_home/Favorites/S1.url" "$base/hold/s1"
e2e_write_shortcut "$stop_home/Favorites/S2.url" "$base/hold/s2"
e2e_write_shortcut "$stop_home/Favorites/S3.url" "$base/hold/s3"
one_link_at_a_time "$stop_home"
printf 'StrictVerdicts=1\n' >>"$stop_home/.config/Orvanta/Config.ini"
e2e_start_orvanta "$binary" "$stop_home" "$shot"
e2e_wait_until 10 "the links never showed their grey lamps" \
  e2e_shows_lamps "$shot" "grey grey grey" 1 2 3
remember_idle_header

choose_verify_links
run_busy() {
  e2e_screenshot "$shot"
  e2e_requested /hold/s1 && header_busy
}
e2e_wait_until 20 "the run never reached its first link with a busy header" run_busy

open_verify_menu
expect_menu "Stop" "Verify links" "during a run"
e2e_click 30 $((STOP_TOP + 8))

# S1's answer is still held: the window is idle before the probe ends.
e2e_wait_until 10 "the Status header kept its busy frame after Stop" header_idle
[ "$(e2e_lamps "$shot" 1 2 3)" = "grey grey grey" ] ||
  e2e_fail "a lamp changed before the held probe was let go: $(e2e_lamps "$shot" 1 2 3)"
open_verify_menu
expect_menu "Verify links" "Stop" "after Stop"
close_menu
header_idle || e2e_fail "the Status header shows a busy frame again after Stop"

# The probe that was in flight still lands; nothing after it is probed.
e2e_release s1 s2 s3
e2e_wait_until 20 "the stopped run's last probe did not show its result" \
  e2e_shows_lamps "$shot" "green grey grey" 1 2 3
[ "$(cat "$E2E_LINK_LOG")" = /hold/s1 ] ||
  e2e_fail "the stopped run went on probing: $(tr '\n' ' ' <"$E2E_LINK_LOG")"
header_idle || e2e_fail "the Status header shows a busy frame after the stopped probe ended"

e2e_close_window "$E2E_WINDOW"
e2e_wait_until 15 "the program did not end when its window was closed" \
  e2e_process_ended "$E2E_PROGRAM_PID"

# --- Several links at once (the default setting) --------------------------------
# A held answer holds up only its own lamp: the links after it are decided
# meanwhile, each as its answer arrives.
: >"$E2E_LINK_LOG"
many_home="$E2E_WORK/many"
e2e_write_shortcut "$many_home/Favorites/P1.url" "$base/hold/p1"
e2e_write_shortcut "$many_home/Favorites/P2.url" "$base/alive/p2"
e2e_write_shortcut "$many_home/Favorites/P3.url" "$base/dead/p3"
e2e_start_orvanta "$binary" "$many_home" "$shot"
e2e_wait_until 10 "the links never showed their grey lamps" \
  e2e_shows_lamps "$shot" "grey grey grey" 1 2 3

choose_verify_links
e2e_wait_until 20 "the links after the held one were not decided while it was held" \
  e2e_shows_lamps "$shot" "grey green red" 1 2 3
e2e_release p1
e2e_wait_until 20 "the held link did not show its result once let go" \
  e2e_shows_lamps "$shot" "green green red" 1 2 3

echo "verify_run_test: all checks passed"
