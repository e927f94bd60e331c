# Shared by the packaging tests. Arguments of every test:
#   <build folder> <project version> <application id>
# Each test works in its own temporary folder, removed on exit.

set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 <build folder> <project version> <application id>" >&2
  exit 2
fi
build_dir=$1
project_version=$2
app_id=$3

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
  share/applications/orvanta.desktop
  share/icons/hicolor/16x16/apps/orvanta.png
  share/icons/hicolor/32x32/apps/orvanta.png
  share/icons/hicolor/48x48/apps/orvanta.png
  share/icons/hicolor/256x256/apps/orvanta.png
  share/icons/hicolor/scalable/apps/orvanta.svg
  "share/metainfo/$app_id.metainfo.xml"
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

# Checks the files of one installed tree rooted at <root>.
check_installed_tree() {
  local root=$1 path
  for path in "${installed_files[@]}"; do
    [ -f "$root/$path" ] || fail "missing $path"
  done
  [ -x "$root/bin/orvanta" ] || fail "bin/orvanta is not executable"

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
