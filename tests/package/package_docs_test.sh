#!/usr/bin/env bash
# The documents installed beside the program: a machine-readable copyright
# file carrying the licence, a Debian changelog and a manual page, the last
# two compressed the way Debian wants them.
source "$(dirname "$0")/support.sh"

license_file="$(cd "$(dirname "$0")/../.." && pwd)/LICENSE"
stage="$work_dir/stage"
install_into "$stage" /usr
root="$stage/usr"
copyright="$root/share/doc/orvanta/copyright"
changelog="$root/share/doc/orvanta/changelog.gz"
manual="$root/share/man/man1/orvanta.1.gz"

# gzip -9n: no file name, no time stamp, maximum compression, so the same
# text always gives the same bytes.
check_reproducible_gzip() {
  local file=$1 header
  gzip -t "$file" 2>/dev/null || { fail "$file is not gzip data"; return; }
  header=$(od -An -tx1 -N9 "$file" | tr -d ' \n')
  [ "$header" = 1f8b08000000000002 ] || fail "$file was not made with gzip -9n (header $header)"
}

echo "== copyright"
for line in \
  'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  'Upstream-Name: Orvanta' 'Files: *' 'Copyright: 2026 Orvanta Software' 'License: MIT'; do
  grep -qxF "$line" "$copyright" || fail "copyright lacks '$line'"
done
grep -q '^Source: https\?://' "$copyright" || fail "copyright names no Source"
# The licence's continuation lines, unfolded, are the LICENSE text itself.
sed -n '/^License: MIT$/,$p' "$copyright" | tail -n +2 | sed 's/^ //; s/^\.$//' >"$work_dir/license"
sed -n '/^Permission is hereby granted/,$p' "$license_file" | diff -u - "$work_dir/license" >&2 ||
  fail "copyright's licence text differs from LICENSE"
grep -q '<project_license>MIT</project_license>' "$root/share/metainfo/$app_id.metainfo.xml" ||
  fail "metainfo does not name the MIT licence"

echo "== changelog"
check_reproducible_gzip "$changelog"
zcat "$changelog" >"$work_dir/changelog"
if ! dpkg-parsechangelog -l "$work_dir/changelog" >"$work_dir/parsed" 2>"$work_dir/parse.log" ||
  [ -s "$work_dir/parse.log" ]; then
  fail "changelog does not parse cleanly: $(cat "$work_dir/parse.log")"
fi
entry() { sed -n "s/^$1: //p" "$work_dir/parsed"; }
[ "$(entry Source)" = orvanta ] || fail "changelog is for '$(entry Source)'"
[ "$(entry Version)" = "$project_version" ] || fail "changelog's latest version is '$(entry Version)'"
# The entry's date, weekday and all, is the release the metainfo announces.
release_date=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' \
  "$root/share/metainfo/$app_id.metainfo.xml")
stamp=$(entry Date)
[ "$(LC_ALL=C date -u -R -d "$stamp")" = "$stamp" ] || fail "changelog date '$stamp' is not RFC 2822"
[ "$(date -u -d "$stamp" +%F)" = "$release_date" ] ||
  fail "changelog date '$stamp' is not the release date $release_date"

echo "== manual page"
check_reproducible_gzip "$manual"
if ! MANWIDTH=80 man --warnings -l "$manual" >"$work_dir/manual" 2>"$work_dir/man.log" ||
  [ -s "$work_dir/man.log" ]; then
  fail "man warns about the page: $(cat "$work_dir/man.log")"
fi
for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES 'EXIT STATUS'; do
  grep -qx "$section" "$work_dir/manual" || fail "manual page has no $section section"
done
sed -n '/^OPTIONS$/,/^FILES$/p' "$work_dir/manual" >"$work_dir/options"
for option in --check --format --proxy --jobs --help --version; do
  grep -q -- "^ *$option" "$work_dir/options" || fail "OPTIONS does not describe $option"
done
sed -n '/^EXIT STATUS$/,/^[A-Z]/p' "$work_dir/manual" >"$work_dir/status"
for code in 0 1 2; do
  grep -Eq "^ +$code +[A-Z]" "$work_dir/status" || fail "EXIT STATUS does not explain $code"
done

finish
