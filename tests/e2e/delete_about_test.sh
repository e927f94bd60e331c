#!/usr/bin/env bash
# Deleting with the Delete key in the real program, through the real message
# box: No keeps everything, Yes removes a link's file or a folder with all it
# holds, its row and its count; then "About..." from the help menu opens the
# About window, its close box closes it and the main window is usable again.
# Usage: delete_about_test.sh path/to/orvanta
set -euo pipefail
binary=${1:?usage: delete_about_test.sh path/to/orvanta}
source "$(dirname "$0")/lib.sh"
e2e_need xdotool import convert md5sum python3

shot="$E2E_WORK/shot.png"
home="$E2E_WORK/home"
favorites="$home/Favorites"
# Rows: 0 the root, 1 the collapsed folder Sub, 2 Alpha, 3 Beta, 4 Gamma.
e2e_write_shortcut "$favorites/Sub/Inner.url" "http://127.0.0.1:9/inner"
e2e_write_shortcut "$favorites/Sub/Deeper/Deep.url" "http://127.0.0.1:9/deep"
e2e_write_shortcut "$favorites/Alpha.url" "http://127.0.0.1:9/alpha"
e2e_write_shortcut "$favorites/Beta.url" "http://127.0.0.1:9/beta"
e2e_write_shortcut "$favorites/Gamma.url" "http://127.0.0.1:9/gamma"

e2e_start_xvfb
e2e_start_orvanta "$binary" "$home" "$shot"

# Takes a screenshot; true when rows 1.. show the lamps in $1.
lamps_are() {
  e2e_shows_lamps "$shot" "$1" $(seq 1 "$(wc -w <<<"$1")")
}

# The status bar's label areas: categories in panel 0, links in panel 1.
categories_panel() { e2e_region_hash "$shot" 2 547 114 14; }
links_panel() { e2e_region_hash "$shot" 122 547 114 14; }

box_gone() { ! e2e_window_exists "Warning!"; }

# Selects row $1 by its Name cell, presses Delete and answers the question
# with key $2 (y for Yes, Escape or Return for the default No).
delete_row() {
  e2e_click 110 "$(e2e_row_middle "$1")"
  xdotool key Delete
  local box
  box=$(e2e_wait_window "Warning!")
  xdotool windowfocus --sync "$box" key "$2"
  e2e_wait_until 10 "the question before deleting stayed open after $2" box_gone
}

e2e_wait_until 10 "the rows never showed their lamps" lamps_are "none grey grey grey"
categories_before=$(categories_panel)
links_before=$(links_panel)

# Enter answers No, the default: nothing changes.
delete_row 3 Return
[ -f "$favorites/Beta.url" ] || e2e_fail "answering No deleted Beta.url"
lamps_are "none grey grey grey" || e2e_fail "answering No changed the rows: $E2E_LAST_SEEN"
[ "$(links_panel)" = "$links_before" ] || e2e_fail "answering No changed the link count"

# Yes on a link: its file, its row and one link of the count go.
delete_row 3 y
e2e_wait_until 10 "Beta's row did not leave the view" lamps_are "none grey grey none"
[ ! -e "$favorites/Beta.url" ] || e2e_fail "Beta.url is still on disk after Yes"
for kept in Alpha.url Gamma.url Sub/Inner.url Sub/Deeper/Deep.url; do
  [ -f "$favorites/$kept" ] || e2e_fail "$kept went with Beta.url"
done
[ "$(links_panel)" != "$links_before" ] || e2e_fail "the link count did not change after deleting a link"
[ "$(categories_panel)" = "$categories_before" ] ||
  e2e_fail "the category count changed after deleting a link"
links_before=$(links_panel)

# Yes on a collapsed folder: the directory with everything in it.
delete_row 1 y
e2e_wait_until 10 "Sub's row did not leave the view" lamps_are "grey grey none"
[ ! -e "$favorites/Sub" ] || e2e_fail "the folder Sub is still on disk: $(find "$favorites/Sub")"
[ -f "$favorites/Alpha.url" ] && [ -f "$favorites/Gamma.url" ] ||
  e2e_fail "deleting the folder Sub took links beside it"
[ "$(categories_panel)" != "$categories_before" ] ||
  e2e_fail "the category count did not change after deleting a folder"
[ "$(links_panel)" != "$links_before" ] ||
  e2e_fail "the link count did not change after deleting a folder with links"

# The help menu drops down at client (103, 29); its first item is "About...",
# whose top row is plain item ground.
help_menu_ground=(110 30 "#FAFAFA")
open_help_menu() {
  e2e_click 118 14
  e2e_wait_until 10 "the help menu did not drop down under its button" \
    e2e_shows_pixel "$shot" "${help_menu_ground[@]}"
}

open_help_menu
e2e_click 123 38
about=$(e2e_wait_window "About")
main_x=$WIN_X main_y=$WIN_Y
e2e_window_geometry "$about"
[ "$WIN_W" -eq 256 ] && [ "$WIN_H" -eq 194 ] ||
  e2e_fail "the About window is ${WIN_W}x${WIN_H}, expected 256x194"
WIN_X=$main_x WIN_Y=$main_y

about_gone() { ! e2e_window_exists "About"; }
e2e_close_window "$about"
e2e_wait_until 10 "the About window did not close from its close box" about_gone
kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || e2e_fail "the program ended with the About window"

# The dialog was modal; once it is gone the main window takes clicks again.
open_help_menu
xdotool key Escape
e2e_wait_until 10 "the help menu did not close on Escape" \
  e2e_lacks_pixel "$shot" "${help_menu_ground[@]}"

echo "delete_about_test: all checks passed"
