#!/usr/bin/env bash
# `cmake --install` puts the program and its desktop files under the chosen
# prefix inside DESTDIR, and nowhere else.
source "$(dirname "$0")/support.sh"

# Everything staged under <destdir> must sit below <destdir><prefix>.
check_only_under_prefix() {
  local destdir=$1 prefix=$2 stray
  stray=$(find "$destdir" -mindepth 1 \( -type f -o -type l \) ! -path "$destdir$prefix/*")
  [ -z "$stray" ] || fail "installed outside $prefix: $stray"
}

echo "== custom prefix, DESTDIR"
custom_prefix=/opt/orvanta-test
custom_stage="$work_dir/custom"
install_into "$custom_stage" "$custom_prefix"
check_installed_tree "$custom_stage$custom_prefix"
check_only_under_prefix "$custom_stage" "$custom_prefix"
[ "$(stat -c %a "$custom_stage$custom_prefix/bin/orvanta")" = 755 ] || fail "bin/orvanta is not mode 755"

# The installed program must not look for libraries in the build folder.
runpath=$(readelf -d "$custom_stage$custom_prefix/bin/orvanta" | grep -E 'RPATH|RUNPATH' || true)
case "$runpath" in
  *"$build_dir"*) fail "installed binary keeps a build-folder search path: $runpath" ;;
esac

echo "== configured prefix, DESTDIR"
configured_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build_dir/CMakeCache.txt")
[ -n "$configured_prefix" ] || fail "no CMAKE_INSTALL_PREFIX in the cache"
default_stage="$work_dir/default"
install_into "$default_stage"
check_installed_tree "$default_stage$configured_prefix"
check_only_under_prefix "$default_stage" "$configured_prefix"

echo "== an unoptimised build is refused"
own_type=$(configured_build_type "$own_build_dir")
if [[ "$own_type" =~ ^($optimised_build_types)$ ]]; then
  echo "skipped: $own_build_dir is itself optimised ($own_type)"
else
  refused_stage="$work_dir/refused"
  if (DESTDIR=$refused_stage cmake --install "$own_build_dir" >"$work_dir/refused.log" 2>&1); then
    fail "installing the $own_type build in $own_build_dir succeeded"
  fi
  # CMake wraps the message, so it is read as one line.
  tr -s ' \n' '  ' <"$work_dir/refused.log" | grep -q 'only an optimised build' ||
    fail "refusal does not say why: $(cat "$work_dir/refused.log")"
  [ -z "$(find "$refused_stage" -type f 2>/dev/null)" ] || fail "a refused install left files"
fi

finish
