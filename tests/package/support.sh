# Shared by the packaging tests. Arguments of every test:
#   <optimised build folder> <project version> <application id> <own build folder>
# The first is the tree installed and packaged; the last is the tree running
# the tests, which may be a Debug one. Each test works in its own temporary
# folder, removed on exit.

set -euo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 <optimised build folder> <project version> <application id> <own build folder>" >&2
  exit 2
fi
build_dir=$1
project_version=$2
app_id=$3
own_build_dir=$4

if [ ! -x "$build_dir/app/orvanta" ]; then
  echo "FAIL: no optimised build in $build_dir; build it first:" >&2
  echo "  cmake --preset release && cmake --build --preset release --target orvanta" >&2
  exit 1
fi

work_dir=$(mktemp -d "${TMPDIR:-/tmp}/orvanta-package.XXXXXX")
trap 'rm -rf "$work_dir"' EXIT

failures=0

# Records a failed check and goes on, so one run lists every fault.
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# Paths, relative to a prefix, that an installation must contain.
installed_files=(
  bin/orvanta
  "share/applications/$app_id.desktop"
  share/icons/hicolor/16x16/apps/orvanta.png
  share/icons/hicolor/32x32/apps/orvanta.png
  share/icons/hicolor/48x48/apps/orvanta.png
  share/icons/hicolor/256x256/apps/orvanta.png
  share/icons/hicolor/scalable/apps/orvanta.svg
  "share/metainfo/$app_id.metainfo.xml"
  share/man/man1/orvanta.1.gz
  share/doc/orvanta/copyright
  share/doc/orvanta/changelog.gz
)
icon_sides=(16 32 48 256)

# Installs the build into <destdir> with an optional prefix. The umask lets
# group-writable folders through, so the modes checked are the install's own.
install_into() {
  local destdir=$1 prefix=${2:-}
  local args=(--install "$build_dir")
  [ -n "$prefix" ] && args+=(--prefix "$prefix")
  if ! (umask 002 && DESTDIR=$destdir cmake "${args[@]}" >"$work_dir/install.log" 2>&1); then
    cat "$work_dir/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
  fi
}

# The version written into the program's own version block.
binary_product_version() {
  strings -el "$1" | grep -A1 -x ProductVersion | tail -n1
}

# The build types whose binaries users may get.
optimised_build_types='Release|RelWithDebInfo|MinSizeRel'

# The build type a build folder was configured with.
configured_build_type() {
  sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$1/CMakeCache.txt"
}

# The program carries the build type and compiler flags it was built with,
# stripped or not; both must be optimised ones.
check_optimised_binary() {
  local binary=$1 marker
  marker=$(grep -a -o 'orvanta-build-type=[^[:cntrl:]]*' "$binary" | head -n1 || true)
  [[ "$marker" =~ ^orvanta-build-type=($optimised_build_types)\;\ flags=(.*\ )?-O[123s]( |$) ]] ||
    fail "$binary is not an optimised build: '${marker:-no build-type marker}'"
}

# Checks the files of one installed tree rooted at <root>.
check_installed_tree() {
  local root=$1 path
  for path in "${installed_files[@]}"; do
    [ -f "$root/$path" ] || fail "missing $path"
  done
  [ -x "$root/bin/orvanta" ] || fail "bin/orvanta is not executable"
  if [ -f "$root/bin/orvanta" ]; then check_optimised_binary "$root/bin/orvanta"; fi

  local side
  for side in "${icon_sides[@]}"; do
    local png="$root/share/icons/hicolor/${side}x${side}/apps/orvanta.png"
    [ -f "$png" ] || continue
    file -b "$png" | grep -q "PNG image data, $side x $side, 8-bit/color RGBA" ||
      fail "${side}x${side} icon is $(file -b "$png")"
  done
  local svg="$root/share/icons/hicolor/scalable/apps/orvanta.svg"
  [ -f "$svg" ] && { file -b "$svg" | grep -q SVG || fail "scalable icon is not SVG"; }

  # Nothing may be writable by other users, and everything readable by them.
  local odd
  odd=$(find "$root" -type d ! -perm 755)
  [ -z "$odd" ] || fail "folders without mode 755: $odd"
  odd=$(find "$root" -type f ! -path "$root/bin/orvanta" ! -perm 644)
  [ -z "$odd" ] || fail "data files without mode 644: $odd"
}
