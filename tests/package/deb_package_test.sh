#!/usr/bin/env bash
# `cpack -G DEB` builds an installable orvanta package: its control fields,
# the dependencies found from the binary, a clean /usr tree, and nothing
# lintian calls an error.
source "$(dirname "$0")/support.sh"

package_dir="$work_dir/packages"
# A strict umask must not leak into the modes inside the package.
if ! (cd "$build_dir" && umask 077 &&
      cpack -G DEB -B "$package_dir" --config CPackConfig.cmake >"$work_dir/cpack.log" 2>&1); then
  cat "$work_dir/cpack.log" >&2
  echo "FAIL: cpack failed" >&2
  exit 1
fi

# The README names this file in its apt command.
deb="$package_dir/orvanta_${project_version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAIL: no $deb; made: $(ls "$package_dir")" >&2; exit 1; }

echo "== control fields"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = orvanta ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$project_version" ] || fail "Version is '$(field Version)'"
[ "$(field Maintainer)" = "Orvanta Software <support@orvanta.example>" ] ||
  fail "Maintainer is '$(field Maintainer)'"
description=$(field Description)
summary=$(head -n1 <<<"$description")
[ -n "$summary" ] && [ "${#summary}" -le 80 ] || fail "bad summary line '$summary'"
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "Description has no long text"
grep -q 'CMake' <<<"$description" && fail "Description is CPack's placeholder"

# Depends comes from dpkg-shlibdeps, so it names the libraries the binary
# really links.
depends=$(field Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 'libcurl[34]' libpng16-16 libc6; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

echo "== contents"
dpkg-deb --contents "$deb" >"$work_dir/contents"
for path in "${installed_files[@]}"; do
  grep -Eq " \./usr/$path$" "$work_dir/contents" || fail "package lacks /usr/$path"
done
awk '$6 !~ /^\.\/usr\// { print }' "$work_dir/contents" | grep . && fail "entries outside /usr"
awk '$2 != "root/root" { print }' "$work_dir/contents" | grep . && fail "entries not owned by root"
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print }' "$work_dir/contents" | grep . && fail "folders not 755"

# The whole installed tree, as dpkg would unpack it.
unpacked="$work_dir/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
check_installed_tree "$unpacked/usr"

# The package ships a stripped program, which must still carry its version
# block for the About box.
binary="$unpacked/usr/bin/orvanta"
file -b "$binary" | grep -q ', stripped' || fail "packaged binary is not stripped"
binary_version=$(binary_product_version "$binary")
[ "$binary_version" = "$project_version" ] ||
  fail "packaged program's version block says '$binary_version'"

echo "== lintian"
# With --fail-on error, status 2 means tags of error severity, which the
# listing reports; any other failing status is lintian itself breaking down.
status=0
lintian --no-tag-display-limit --fail-on error "$deb" >"$work_dir/lintian.log" \
  2>"$work_dir/lintian.err" || status=$?
cat "$work_dir/lintian.log"
if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then
  fail "lintian could not check the package (status $status): $(cat "$work_dir/lintian.err")"
fi
if grep '^E: ' "$work_dir/lintian.log" >&2 || [ "$status" -eq 2 ]; then
  fail "lintian reports errors"
fi

finish
