#!/usr/bin/env bash
# The real program in a real X window: the header strip, the texture, the
# tree's frame and a status lamp where the layout puts them, and the layout
# following a wider window. Usage: window_test.sh path/to/orvanta
set -euo pipefail
binary=${1:?usage: window_test.sh path/to/orvanta}
source "$(dirname "$0")/lib.sh"
e2e_need xdotool import convert md5sum

home="$E2E_WORK/home"
mkdir -p "$home/.config" "$home/Favorites"
printf '[InternetShortcut]\r\nURL=http://127.0.0.1:9/alpha\r\n' >"$home/Favorites/Alpha.url"
printf '[InternetShortcut]\r\nURL=http://127.0.0.1:9/beta\r\n' >"$home/Favorites/Beta.url"

e2e_start_xvfb
HOME="$home" XDG_CONFIG_HOME="$home/.config" e2e_run "$binary"
window=$(e2e_wait_window "Orvanta 1\\.0")
e2e_window_geometry "$window"
[ "$WIN_W" -eq 647 ] && [ "$WIN_H" -eq 563 ] ||
  e2e_fail "the window's client area is ${WIN_W}x${WIN_H}, expected 647x563"

shot="$E2E_WORK/shot.png"
# The strip's top row is the first thing to be painted right.
e2e_wait_pixel 300 0 "#F2F5F7" "$shot" || e2e_fail "the header strip never appeared"

# Header strip: light top, the seam half-way down, the grey edge line.
e2e_expect_pixel "$shot" 300 0 "#F2F5F7" "strip row 0"
e2e_expect_pixel "$shot" 300 16 "#D8DEE3" "strip row 16"
e2e_expect_pixel "$shot" 300 30 "#B3B5B6" "strip row 30"

# The texture's staggered dashes in the band between the strip and the tree.
e2e_expect_pixel "$shot" 153 40 "#B1D2D4" "texture dash (row 0 of the tile)"
e2e_expect_pixel "$shot" 155 40 "#D8F8FA" "texture ground (row 0 of the tile)"
e2e_expect_pixel "$shot" 150 41 "#B1D2D4" "texture dash (row 1 of the tile)"
e2e_expect_pixel "$shot" 153 41 "#D8F8FA" "texture ground (row 1 of the tile)"

# The tree's frame starts at (8, 54); left of and above it is texture.
frame=$(e2e_pixel "$shot" 8 54)
case "$frame" in
  "#D8F8FA" | "#B1D2D4") e2e_fail "no tree frame at (8, 54): texture colour $frame" ;;
esac
e2e_expect_pixel "$shot" 7 54 "#D8F8FA" "texture left of the tree"
right_edge=$(e2e_pixel "$shot" 638 300)
case "$right_edge" in
  "#D8F8FA" | "#B1D2D4") e2e_fail "no tree frame at x 638: texture colour $right_edge" ;;
esac

# Rows start under the 2-px frame and the 20-px header; row 1 is the link
# Alpha, whose grey lamp is centred in the Status cell (530..609 of the rows).
lamp=$(e2e_pixel "$shot" $((10 + 530 + 32 + 8)) $((76 + 18 + 1 + 8)))
e2e_is_grey "$lamp" || e2e_fail "no grey lamp in the Status cell of a link row: $lamp"
e2e_expect_pixel "$shot" $((10 + 530 + 32 + 8)) $((76 + 1 + 8)) "#FFFFFF" \
  "the root entry's Status cell (no lamp)"

home_button=$(e2e_region_hash "$shot" 592 5 21 21)

# Wider by 101 px: the tree follows the right edge, the web-page button stays.
xdotool windowsize "$window" 748 563
e2e_wait_pixel 739 300 "$right_edge" "$shot" ||
  e2e_fail "the tree's right edge did not move to x 739 after widening the window"
e2e_window_geometry "$window"
[ "$WIN_W" -eq 748 ] || e2e_fail "the window is $WIN_W wide after widening, expected 748"
e2e_expect_pixel "$shot" 8 54 "$frame" "the tree's top-left corner after widening"
case "$(e2e_pixel "$shot" 740 300)" in
  "#D8F8FA" | "#B1D2D4") ;;
  *) e2e_fail "no texture right of the widened tree at x 740" ;;
esac
[ "$(e2e_region_hash "$shot" 592 5 21 21)" = "$home_button" ] ||
  e2e_fail "the web-page button is no longer at x 592 after widening"
[ "$(e2e_region_hash "$shot" 693 5 21 21)" = "$(e2e_region_hash "$shot" 560 5 21 21)" ] ||
  e2e_fail "something other than the plain strip is at x 693 after widening"
e2e_expect_pixel "$shot" 740 0 "#F2F5F7" "the strip across the new width"

echo "window_test: all checks passed"
