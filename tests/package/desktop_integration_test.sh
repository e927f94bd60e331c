#!/usr/bin/env bash
# The installed desktop entry and metainfo pass their validators and agree with
# each other, with the installed program and with the project version.
source "$(dirname "$0")/support.sh"

prefix=/usr
stage="$work_dir/stage"
install_into "$stage" "$prefix"
root="$stage$prefix"
desktop="$root/share/applications/$app_id.desktop"
metainfo="$root/share/metainfo/$app_id.metainfo.xml"

echo "== desktop entry"
# Named after the AppStream id, the entry is the one software centres link
# to the metainfo; a second name would show the program twice in menus.
entries=$(ls "$root/share/applications")
[ "$entries" = "$app_id.desktop" ] || fail "share/applications holds '$entries', not $app_id.desktop alone"
# Hints (such as the entry being listed under two main categories) are fine.
if ! desktop-file-validate "$desktop" >"$work_dir/desktop.log" 2>&1; then
  fail "desktop-file-validate: $(cat "$work_dir/desktop.log")"
fi
grep -E ': (error|warning):' "$work_dir/desktop.log" && fail "desktop entry has warnings"

key() { sed -n "s/^$1=//p" "$desktop"; }
# What the entry starts and shows must be what was installed.
[ -x "$root/bin/$(key Exec | cut -d' ' -f1)" ] || fail "Exec '$(key Exec)' is not an installed program"
icon=$(key Icon)
for side in "${icon_sides[@]}"; do
  [ -f "$root/share/icons/hicolor/${side}x${side}/apps/$icon.png" ] ||
    fail "no ${side}x${side} icon named '$icon'"
done
[ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named '$icon'"

echo "== metainfo"
# Beyond validating the file, validate-tree checks that its name matches the
# id and that the launchable desktop entry is installed beside it.
if ! appstreamcli validate-tree --no-net "$root" >"$work_dir/appstream.log" 2>&1; then
  fail "appstreamcli validate-tree: $(cat "$work_dir/appstream.log")"
fi
release=$(sed -n 's/.*<release version="\([^"]*\)" date="\([^"]*\)".*/\1 \2/p' "$metainfo")
[[ "$release" =~ ^"$project_version "[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] || fail "metainfo release is '$release'"

# The version the About box shows comes from the executable; it must be the
# one the metainfo announces.
binary_version=$(binary_product_version "$root/bin/orvanta")
[ "$binary_version" = "$project_version" ] ||
  fail "program's version block says '$binary_version', project is $project_version"

finish
